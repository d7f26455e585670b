#include "tools/csv_input.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>

namespace dendrokit::tools {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::string Where(std::size_t line, std::size_t column) {
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

struct Cell {
  std::string text;
  bool quoted = false;
};

// Cells of the record that starts at text[pos]; pos moves past the record's newline. A quoted
// cell may hold the delimiter and line breaks (R's write.csv writes row names so); "" in it
// stands for a quote. lines counts the line breaks inside quoted cells.
std::vector<Cell> SplitRecord(std::string_view text, std::size_t& pos, char delimiter,
                              std::size_t lineNo, std::size_t& lines) {
  std::vector<Cell> cells;
  std::size_t i = pos;
  const bool blanks = delimiter == ' ';
  auto isDelim = [&](char c) { return blanks ? (c == ' ' || c == '\t') : c == delimiter; };
  auto lineEnd = [&](std::size_t k) { return k >= text.size() || text[k] == '\n'; };
  // Only blanks and CRs up to the end of the line.
  auto restEmpty = [&](std::size_t k) {
    while (!lineEnd(k) && (text[k] == ' ' || text[k] == '\t' || text[k] == '\r')) ++k;
    return lineEnd(k);
  };
  while (!lineEnd(i) && (text[i] == ' ' || text[i] == '\t')) ++i;  // a record's edge blanks
  for (;;) {
    if (blanks)
      while (!lineEnd(i) && isDelim(text[i])) ++i;
    else
      while (!lineEnd(i) && (text[i] == ' ' || text[i] == '\t') && !isDelim(text[i])) ++i;
    Cell cell;
    if (!lineEnd(i) && text[i] == '"') {
      cell.quoted = true;
      const std::size_t openLine = lineNo + lines;
      ++i;
      for (;;) {
        if (i >= text.size())
          throw InputError(Where(openLine, cells.size() + 1) + "quote not closed");
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            cell.text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (text[i] == '\n') {
          ++lines;
          if (!cell.text.empty() && cell.text.back() == '\r') cell.text.pop_back();
        }
        cell.text += text[i++];
      }
      while (!lineEnd(i) && (text[i] == ' ' || text[i] == '\t') && !isDelim(text[i])) ++i;
      if (!lineEnd(i) && !isDelim(text[i]) && !restEmpty(i))
        throw InputError(Where(lineNo + lines, cells.size() + 1) + "text after the closing quote");
    } else {
      const std::size_t start = i;
      while (!lineEnd(i) && !isDelim(text[i])) ++i;
      cell.text = std::string(Trim(text.substr(start, i - start)));
    }
    cells.push_back(std::move(cell));
    if (restEmpty(i)) break;
    ++i;  // the delimiter
    if (blanks) {
      while (!lineEnd(i) && isDelim(text[i])) ++i;
      if (restEmpty(i)) break;
    } else if (restEmpty(i)) {
      break;  // one trailing delimiter ends the line
    }
  }
  while (!lineEnd(i)) ++i;
  pos = i + 1;
  return cells;
}

// Delimiter of a file whose first line is given: the most frequent of , ; and tab outside
// quotes (in that order on ties), else blanks when the line has any, else ','.
char GuessDelimiter(std::string_view line, bool decimalComma) {
  std::size_t comma = 0, semicolon = 0, tab = 0, blank = 0;
  bool quoted = false;
  for (const char c : Trim(line)) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    comma += c == ',';
    semicolon += c == ';';
    tab += c == '\t';
    blank += c == ' ';
  }
  if (decimalComma) comma = 0;
  const std::size_t best = std::max({comma, semicolon, tab});
  if (best > 0) return best == comma ? ',' : best == semicolon ? ';' : '\t';
  if (blank > 0) return ' ';
  return decimalComma ? ';' : ',';
}

bool IsMissingText(std::string_view t) {
  // NaN and the infinities are caught as numbers that are not finite.
  static constexpr std::string_view kMissing[] = {"", "NA", "na", "N/A", "n/a", "null", "NULL"};
  return std::find(std::begin(kMissing), std::end(kMissing), t) != std::end(kMissing);
}

enum class CellKind { kNumber, kMissing, kBad };

// Whether a number that from_chars finds out of range is too small rather than too large:
// the decimal exponent of its first significant digit is negative. Such a number reads as 0,
// as R and NumPy read it.
bool Underflows(std::string_view number) {
  std::size_t i = 0;
  if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
  long long magnitude = -1;  // the exponent of the first significant digit, before 'e'
  bool point = false, found = false;
  for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
    if (number[i] == '.') {
      point = true;
    } else if (!found && number[i] != '0') {
      found = true;
    } else if (!found && point) {
      --magnitude;  // a leading zero after the point
    } else if (found && !point) {
      ++magnitude;  // one more significant digit before the point
    }
    if (found && !point && magnitude < 0) magnitude = 0;
  }
  long long exponent = 0;
  if (i < number.size()) {
    ++i;
    const bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
    for (; i < number.size(); ++i)
      exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000LL);
    if (negative) exponent = -exponent;
  }
  return found && magnitude + exponent < 0;
}

// Parses a whole cell as a finite number. Missing: empty, NA, NaN and infinities; bad:
// anything else that is not a number (problem says what).
CellKind ParseCell(std::string_view text, bool decimalComma, double& value,
                   std::string& problem) {
  text = Trim(text);  // blanks inside quotes are not part of a number either
  if (IsMissingText(text)) {
    problem = text.empty() ? "empty cell" : Quoted(text) + " is a missing value";
    return CellKind::kMissing;
  }
  std::string buffer;
  if (decimalComma) {
    if (text.find('.') != std::string_view::npos) {
      problem = Quoted(text) + " is not a number (decimal comma expected)";
      return CellKind::kBad;
    }
    buffer.assign(text);
    std::replace(buffer.begin(), buffer.end(), ',', '.');
    text = buffer;
  }
  std::string_view digits = text;
  if (digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || digits.front() == '+' || (digits.front() == '-' && digits != text)) {
    problem = Quoted(text) + " is not a number";
    return CellKind::kBad;
  }
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  if (ec == std::errc::result_out_of_range && ptr == end && Underflows(digits)) {
    value = text.front() == '-' ? -0.0 : 0.0;
    return CellKind::kNumber;
  }
  if (ec == std::errc::result_out_of_range) {
    problem = Quoted(text) + " is out of range";
    return CellKind::kBad;
  }
  if (ec != std::errc() || ptr != end) {
    problem = Quoted(text) + " is not a number";
    return CellKind::kBad;
  }
  if (!std::isfinite(value)) {
    problem = Quoted(text) + " is not a finite number";
    return CellKind::kMissing;
  }
  return CellKind::kNumber;
}

// The file columns (1-based) a --columns or --exclude list names. Names need the header.
std::vector<int> ResolveColumns(const std::string& list, const std::string& option,
                                const std::vector<Cell>* header, std::size_t count) {
  std::vector<int> picked;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    const std::string item(Trim(std::string_view(list).substr(start, comma - start)));
    start = comma + 1;
    if (item.empty()) throw InputError(option + ": empty item in " + Quoted(list));
    int first = 0, last = 0;
    const std::size_t dash = item.find('-', 1);
    auto number = [](std::string_view t, int& v) {
      const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
      return !t.empty() && ec == std::errc() && ptr == t.data() + t.size();
    };
    bool named = false;
    if (header) {
      for (std::size_t c = 0; c < header->size(); ++c)
        if ((*header)[c].text == item) {
          first = last = static_cast<int>(c + 1);
          named = true;
          break;
        }
    }
    if (!named) {
      if (number(item, first)) {
        last = first;
      } else if (dash != std::string::npos &&
                 number(std::string_view(item).substr(0, dash), first) &&
                 number(std::string_view(item).substr(dash + 1), last)) {
      } else {
        throw InputError(option + ": no column " + Quoted(item) +
                         (header ? "" : " (names need --header)"));
      }
      if (first < 1 || last < first || static_cast<std::size_t>(last) > count)
        throw InputError(option + ": " + Quoted(item) + " is outside columns 1 to " +
                         std::to_string(count));
    }
    for (int c = first; c <= last; ++c) picked.push_back(c);
  }
  return picked;
}

}  // namespace

std::string Quoted(std::string_view s) {
  std::string q = "\"";
  for (char c : s.substr(0, 40)) {
    const auto u = static_cast<unsigned char>(c);
    q += (u < 0x20 || u >= 0x7f) ? '?' : c;
  }
  if (s.size() > 40) q += "...";
  return q + "\"";
}

void ReadCsv(std::string text, const CsvOptions& options, Dataset& out) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  char delimiter = options.delimiter;
  std::vector<double> values;  // row after row
  std::size_t columns = 0;     // numeric columns
  std::size_t cellsPerLine = 0;
  int labelColumn = options.labelColumn.value_or(0);  // 1-based, 0 none
  bool headerPending = options.header;
  bool firstLine = true;
  std::size_t lineNo = 0, pos = 0, spanned = 0;
  const char* hint = " (--missing drop drops rows with missing values, --missing pairwise uses the pairs present)";
  std::vector<Cell> header;
  bool haveHeader = false;
  std::vector<char> skip;  // per file column: not read (--columns, --exclude)
  auto columnName = [&](std::size_t c) {
    return haveHeader && c < header.size() && !header[c].text.empty()
               ? " (" + Quoted(header[c].text) + ")" : std::string();
  };
  while (pos < text.size()) {
    lineNo += 1 + spanned;
    spanned = 0;
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(pos, eol - pos));
    if (line.empty() || line.front() == '#') {
      pos = eol + 1;
      continue;
    }
    if (delimiter == 0) delimiter = GuessDelimiter(line, options.decimalComma);
    const std::vector<Cell> cells = SplitRecord(text, pos, delimiter, lineNo, spanned);
    if (firstLine) {
      firstLine = false;
      cellsPerLine = cells.size();
      if (labelColumn > static_cast<int>(cellsPerLine))
        throw InputError(Where(lineNo, static_cast<std::size_t>(labelColumn)) +
                         "no such column for --labels (the line has " +
                         std::to_string(cellsPerLine) + ")");
      if (headerPending) {
        // R's write.csv leaves the header cell above the row names empty.
        if (!options.labelColumn && cells[0].text.empty() && cellsPerLine > 1) labelColumn = 1;
        headerPending = false;
        header = cells;
        haveHeader = true;
        continue;
      }
    }
    // R's write.table names no column above the row names: a header one cell short.
    if (out.rowsRead == 0 && options.header && !options.labelColumn &&
        cells.size() == cellsPerLine + 1) {
      labelColumn = 1;
      cellsPerLine = cells.size();
    }
    if (cells.size() != cellsPerLine) {
      const std::size_t col = std::min(cells.size(), cellsPerLine) + 1;
      if (cells.size() > cellsPerLine)
        throw InputError(Where(lineNo, col) + "more cells than the " +
                         std::to_string(cellsPerLine) + " of the first line");
      throw InputError(Where(lineNo, col) + "missing cell (" + std::to_string(cells.size()) +
                       " of " + std::to_string(cellsPerLine) + ")");
    }
    // Under --header a first column that is not numeric holds labels.
    if (out.rowsRead == 0 && options.header && !options.labelColumn && labelColumn == 0 &&
        cellsPerLine > 1) {
      double v = 0.0;
      std::string problem;
      if (ParseCell(cells[0].text, options.decimalComma, v, problem) == CellKind::kBad) {
        labelColumn = 1;
        out.labelColumnGuessed = true;
      }
    }
    if (columns == 0) {
      // R's write.table header lacks the row names' cell: its names start at column 2.
      if (haveHeader && header.size() + 1 == cellsPerLine) header.insert(header.begin(), Cell{});
      skip.assign(cellsPerLine, 0);
      const std::vector<Cell>* names = haveHeader ? &header : nullptr;
      if (!options.columns.empty()) {
        std::fill(skip.begin(), skip.end(), 1);
        for (int c : ResolveColumns(options.columns, "--columns", names, cellsPerLine))
          skip[static_cast<std::size_t>(c - 1)] = 0;
      }
      if (!options.exclude.empty())
        for (int c : ResolveColumns(options.exclude, "--exclude", names, cellsPerLine))
          skip[static_cast<std::size_t>(c - 1)] = 1;
      for (std::size_t c = 0; c < cellsPerLine; ++c) {
        if (skip[c] || static_cast<int>(c + 1) == labelColumn) continue;
        ++columns;
        out.fileColumns.push_back(static_cast<int>(c + 1));
        if (haveHeader) out.names.push_back(c < header.size() ? header[c].text : std::string());
      }
      if (haveHeader)
        for (const Cell& h : header) out.columnLabels.push_back(h.text);
      if (columns == 0) throw InputError(Where(lineNo, 1) + "no numeric column besides the labels");
    }
    ++out.rowsRead;
    std::size_t kept = values.size();
    bool missing = false;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (static_cast<int>(c + 1) == labelColumn || skip[c]) continue;
      double v = 0.0;
      std::string problem;
      const CellKind kind = ParseCell(cells[c].text, options.decimalComma, v, problem);
      if (kind == CellKind::kBad) {
        std::string message = Where(lineNo, c + 1) + problem;
        if (out.rowsRead == 1 && !options.header) message += " (a header line? use --header)";
        else message += "; column " + std::to_string(c + 1) + columnName(c) +
                        " is not numeric (--columns or --exclude choose the columns)";
        throw InputError(message);
      }
      if (kind == CellKind::kMissing && options.keepMissing) {
        values.push_back(std::numeric_limits<double>::quiet_NaN());
        continue;
      }
      if (kind == CellKind::kMissing) {
        if (!options.dropMissing) throw InputError(Where(lineNo, c + 1) + problem + hint);
        missing = true;
        break;
      }
      values.push_back(v);
    }
    if (missing) {
      values.resize(kept);
      ++out.dropped;
      continue;
    }
    out.labels.push_back(labelColumn > 0 ? cells[static_cast<std::size_t>(labelColumn - 1)].text
                                         : std::to_string(out.rowsRead));
  }
  const std::size_t rows = out.labels.size();
  if (rows == 0) {
    std::string message = Where(lineNo + spanned + 1, 1) + "no data";
    if (out.dropped > 0)
      message += " (every row has a missing value)";
    else if (options.header)
      message += " after the header line";
    throw InputError(message);
  }
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<int>::max() / 2);
  if (rows > kMax || columns > kMax) throw InputError("too many rows or columns");
  out.values.Resize(static_cast<int>(columns), static_cast<int>(rows));
  for (std::size_t j = 0; j < columns; ++j) {
    auto col = out.values.Column(static_cast<int>(j + 1));
    for (std::size_t r = 0; r < rows; ++r) col[r] = values[r * columns + j];
  }
  out.hasLabelColumn = labelColumn > 0;
  out.labelColumn = labelColumn;
}

}  // namespace dendrokit::tools
