// Reading the objects of a delimited text file: numbers, an optional label column, and the
// rules analysts' files need (R's write.csv and write.csv2, a BOM, comment lines).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "numeric/matrix.h"

namespace dendrokit::tools {

// A problem with the input, worded for the user ("line 3, column 2: ...").
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct CsvOptions {
  bool header = false;
  // 1-based column of labels; 0: none (no guessing either); unset: guessed.
  std::optional<int> labelColumn;
  // ',' ';' '\t' or ' ' (runs of blanks); 0: guessed from the first line.
  char delimiter = 0;
  bool decimalComma = false;
  bool dropMissing = false;
  // Missing cells become NaN instead of an error (for distances from the pairs present).
  bool keepMissing = false;
  // Columns to read and to leave out, as the user wrote them: header names, 1-based numbers
  // and ranges (2-5) counted among the file's columns, the label column included.
  std::string columns, exclude;
};

struct Dataset {
  TMatrix values;                   // one row per object
  std::vector<std::string> labels;  // one per object: the label column or the row number
  bool hasLabelColumn = false;
  int labelColumn = 0;              // 1-based, when hasLabelColumn
  bool labelColumnGuessed = false;  // taken because the first column was not numeric
  int dropped = 0;                  // rows dropped for missing values
  int rowsRead = 0;                 // data rows before dropping
  std::vector<std::string> names;   // header names of the numeric columns (with a header)
  std::vector<int> fileColumns;     // 1-based file column of each numeric column
  std::vector<std::string> columnLabels;  // header names of all file columns
};

// Parses the whole text. Blank lines and lines starting with '#' are skipped; a UTF-8 BOM, a
// CR before each newline and one trailing delimiter per line are accepted; cells may be
// quoted ("" inside quotes is a quote; a quoted cell may span lines). Blanks around a number,
// inside quotes or not, are not part of it; a number too small for a double reads as 0.
// Fills a fresh Dataset (containers do not move); throws InputError.
void ReadCsv(std::string text, const CsvOptions& options, Dataset& out);

// s with control and non-ASCII bytes as '?', in double quotes, cut after 40 bytes.
std::string Quoted(std::string_view s);

}  // namespace dendrokit::tools
