#include "tools/hclust_cli.h"

#include <charconv>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <new>
#include <optional>
#include <sstream>
#include <string_view>

#include "cluster/hclust.h"
#include "gfxbase/errors.h"
#include "gfxbase/globals.h"

namespace dendrokit::tools {

namespace {

constexpr const char* kUsage =
    "usage: hclust [--method single|complete|ward|average|flexible|upgma] [--alpha A]\n"
    "              [--distance jaccard|manhattan|euclid|euclidsqr|dice] [--header] [--time]\n"
    "              [FILE|-]\n"
    "Clusters the rows of a CSV file of numbers (one object per row) and writes the merge\n"
    "table as CSV: step,node1,node2,node,distance. Defaults: ward, euclid, alpha 0.5.\n";

// A failure that ends the run with exit status 2 and this message.
struct BadInput {
  std::string message;
};

struct Options {
  TClusterMethod method = cmWard;
  TDistMode distance = dmEuclid;
  double alpha = 0.5;
  bool header = false;
  bool time = false;
  std::string file = "-";
};

constexpr std::string_view kMethodNames[] = {"single",  "complete", "ward",
                                              "average", "flexible", "upgma"};
constexpr std::string_view kDistanceNames[] = {"jaccard", "manhattan", "euclid", "euclidsqr",
                                                "dice"};

template <std::size_t N>
std::optional<std::size_t> Lookup(const std::string_view (&names)[N], std::string_view name) {
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == name) return i;
  return std::nullopt;
}

std::string Quoted(std::string_view s) {
  std::string q = "\"";
  for (char c : s.substr(0, 40)) {
    const auto u = static_cast<unsigned char>(c);
    q += (u < 0x20 || u >= 0x7f) ? '?' : c;
  }
  if (s.size() > 40) q += "...";
  return q + "\"";
}

// Parses a whole cell as a finite number; on failure says what is wrong (not where).
std::optional<std::string> ParseNumber(std::string_view text, double& value) {
  if (text.empty()) return "empty cell";
  std::string_view digits = text;
  if (digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || digits.front() == '+' || (digits.front() == '-' && digits != text))
    return Quoted(text) + " is not a number";
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  if (ec == std::errc::result_out_of_range) return Quoted(text) + " is out of range";
  if (ec != std::errc() || ptr != end) return Quoted(text) + " is not a number";
  if (!std::isfinite(value)) return Quoted(text) + " is not a finite number";
  return std::nullopt;
}

Options ParseArguments(const std::vector<std::string>& args, bool& help) {
  Options o;
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool inlineValue = false;
    if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      value = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
      inlineValue = true;
    }
    auto takeValue = [&]() {
      if (inlineValue) return value;
      if (i + 1 >= args.size()) throw BadInput{"option " + arg + " needs a value"};
      return args[++i];
    };
    auto noValue = [&]() {
      if (inlineValue) throw BadInput{"option " + arg + " takes no value"};
    };
    if (arg == "--method") {
      const std::string v = takeValue();
      const auto m = Lookup(kMethodNames, v);
      if (!m) throw BadInput{"unknown method " + Quoted(v) +
                             " (single, complete, ward, average, flexible, upgma)"};
      o.method = static_cast<TClusterMethod>(*m);
    } else if (arg == "--distance") {
      const std::string v = takeValue();
      const auto d = Lookup(kDistanceNames, v);
      if (!d) throw BadInput{"unknown distance " + Quoted(v) +
                             " (jaccard, manhattan, euclid, euclidsqr, dice)"};
      o.distance = static_cast<TDistMode>(*d);
    } else if (arg == "--alpha") {
      const std::string v = takeValue();
      if (const auto problem = ParseNumber(v, o.alpha))
        throw BadInput{"--alpha: " + *problem};
    } else if (arg == "--header") {
      noValue();
      o.header = true;
    } else if (arg == "--time") {
      noValue();
      o.time = true;
    } else if (arg == "-h" || arg == "--help") {
      help = true;
    } else if (arg != "-" && arg.size() > 1 && arg[0] == '-') {
      throw BadInput{"unknown option " + Quoted(arg) + " (see hclust --help)"};
    } else {
      if (haveFile)
        throw BadInput{"more than one input file (" + Quoted(o.file) + ", " + Quoted(arg) + ")"};
      o.file = arg;
      haveFile = true;
    }
  }
  return o;
}

// The whole stream. The standard library reports a failed read (a directory, a closed
// descriptor, an I/O error) by throwing std::ios_base::failure; errno still says why.
std::string ReadStream(std::istream& in, const std::string& what) {
  errno = 0;
  try {
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (!in.bad()) return text;
  } catch (const std::ios_base::failure&) {
  }
  const int error = errno;
  throw BadInput{"cannot read " + what + (error != 0 ? std::string(": ") + std::strerror(error) : "")};
}

std::string ReadAll(const Options& o, std::istream& in) {
  if (o.file == "-") return ReadStream(in, "standard input");
  std::ifstream f(o.file, std::ios::binary);
  if (!f) throw BadInput{"cannot open " + Quoted(o.file)};
  return ReadStream(f, Quoted(o.file));
}

// A write error is reported, not lost; true when out took everything.
bool Flushed(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return true;
  const int error = errno;
  err << "hclust: the output could not be written"
      << (error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string()) << "\n";
  return false;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Reads the CSV into data (rows = objects). Blank lines are skipped; every other line must
// hold as many cells as the first data line.
void ParseCsv(const std::string& text, bool header, TMatrix& data) {
  std::vector<double> values;  // row after row
  std::size_t columns = 0, rows = 0;
  std::size_t lineNo = 0, pos = 0;
  bool skipHeader = header;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(pos, eol - pos));
    pos = eol + 1;
    ++lineNo;
    if (skipHeader) {
      skipHeader = false;
      continue;
    }
    if (line.empty()) continue;
    std::size_t column = 0, start = 0;
    for (;;) {
      const std::size_t comma = std::min(line.find(',', start), line.size());
      std::string_view cell = Trim(line.substr(start, comma - start));
      if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
        cell = Trim(cell.substr(1, cell.size() - 2));
      ++column;
      if (columns != 0 && column > columns)
        throw BadInput{"line " + std::to_string(lineNo) + ", column " + std::to_string(column) +
                       ": more cells than the " + std::to_string(columns) +
                       " of the first data line"};
      double v = 0.0;
      if (const auto problem = ParseNumber(cell, v))
        throw BadInput{"line " + std::to_string(lineNo) + ", column " + std::to_string(column) +
                       ": " + *problem};
      values.push_back(v);
      if (comma >= line.size()) break;
      start = comma + 1;
    }
    if (columns == 0) columns = column;
    if (column < columns)
      throw BadInput{"line " + std::to_string(lineNo) + ", column " + std::to_string(column + 1) +
                     ": missing cell (" + std::to_string(column) + " of " +
                     std::to_string(columns) + ")"};
    ++rows;
  }
  if (rows == 0)
    throw BadInput{"line " + std::to_string(lineNo + 1) + ", column 1: no data" +
                   (header ? " after the header line" : "")};
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
  if (rows > kMax || columns > kMax) throw BadInput{"too many rows or columns"};
  data.Resize(static_cast<int>(columns), static_cast<int>(rows));
  for (std::size_t j = 0; j < columns; ++j) {
    auto col = data.Column(static_cast<int>(j + 1));
    for (std::size_t r = 0; r < rows; ++r) col[r] = values[r * columns + j];
  }
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int RunHclust(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
  using Clock = std::chrono::steady_clock;
  try {
    bool help = false;
    const Options o = ParseArguments(args, help);
    if (help) {
      errno = 0;
      out << kUsage;
      return Flushed(out, err) ? 0 : 1;
    }
    const auto t0 = Clock::now();
    TMatrix data;
    ParseCsv(ReadAll(o, in), o.header, data);
    const auto t1 = Clock::now();

    TIntMatrix table;
    TVector dist, pos;
    Clock::time_point distStart = t1, mergeStart{};
    int calls = 0;
    auto progress = [&](TObject*, double, double) {
      if (calls == 0) distStart = Clock::now();
      if (calls == 1) mergeStart = Clock::now();
      ++calls;
    };
    ProgressCounter = 0.0;
    HierarchicalClustering(nullptr, data, o.distance, o.method, o.alpha, table, dist, pos,
                           progress, {});
    const auto t2 = Clock::now();
    if (calls < 2) mergeStart = t2;

    std::string text = "step,node1,node2,node,distance\n";
    const int steps = data.NrOfRows() - 1;
    text.reserve(text.size() + static_cast<std::size_t>(steps) * 48);
    char buf[128];
    for (int s = 1; s <= steps; ++s) {
      const int len = std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%.17g\n", s,
                                    table.Elem(1, s), table.Elem(2, s), table.Elem(3, s),
                                    dist.Elem(s));
      text.append(buf, static_cast<std::size_t>(len));
    }
    errno = 0;
    out << text;
    if (!Flushed(out, err)) return 1;
    if (o.time) {
      char line[160];
      std::snprintf(line, sizeof line, "read %.3f s, distances %.3f s, merging %.3f s\n",
                    Seconds(t0, t1), Seconds(distStart, mergeStart), Seconds(mergeStart, t2));
      err << line;
    }
    return 0;
  } catch (const BadInput& e) {
    err << "hclust: " << e.message << "\n";
    return 2;
  } catch (const EVELError& e) {
    err << "hclust: " << e.what() << "\n";
    return 1;
  } catch (const std::bad_alloc&) {
    err << "hclust: not enough memory\n";
    return 1;
  }
}

}  // namespace dendrokit::tools
