#include "tools/hclust_cli.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#include "cluster/hclust.h"
#include "cluster/ward_vectors.h"
#include "gfxbase/errors.h"
#include "gfxbase/globals.h"
#include "tools/analysis.h"
#include "tools/csv_input.h"
#include "tools/hclust_png.h"
#include "tools/tree_format.h"

#ifndef DENDROKIT_VERSION
#define DENDROKIT_VERSION "unknown"
#endif

namespace dendrokit::tools {

namespace {

constexpr const char* kUsage =
    "usage: hclust [options] [FILE|-]\n"
    "Clusters the rows of a delimited file of numbers (one object per row) and writes the tree.\n"
    "\n"
    "  --method M      single | complete | average (= upgma, UPGMA: SciPy and R 'average')\n"
    "                  | weighted (= mcquitty = wpgma, WPGMA) | ward (= ward.D: Ward's update\n"
    "                  on the distances as given) | ward.D2 (Ward on squared distances, heights\n"
    "                  as SciPy 'ward' and R 'ward.D2') | flexible (flexible beta)\n"
    "                  | centroid | median (on squared distances, heights their square roots, as\n"
    "                  SciPy's; heights can decrease). Default ward.\n"
    "  --alpha A       flexible only: alpha in [0.5, 1] (beta = 1 - 2 alpha). Default 0.5.\n"
    "  --distance D    euclid | manhattan | euclidsqr | jaccard | dice (1 - coefficient, on 0/1\n"
    "                  data SciPy's jaccard and dice, R's binary) | jaccard-coefficient |\n"
    "                  dice-coefficient (the coefficients themselves) | maximum (= chebyshev)\n"
    "                  | canberra (R's: 0/0 terms left out) | minkowski (with --p) | cosine\n"
    "                  | correlation | hamming | binary (R's; = jaccard). Default euclid.\n"
    "  --p P           minkowski's power, P > 0. Default 2.\n"
    "  --input I       data (default) | distances: a square distance matrix (R's\n"
    "                  write.csv(as.matrix(d)), labels from its row or column names) or SciPy's\n"
    "                  condensed vector of n(n-1)/2 values, one row or one column\n"
    "  --columns LIST  read only these columns: header names, 1-based numbers and ranges (2-5)\n"
    "                  counted among the file's columns, the label column included (as cut -f)\n"
    "  --exclude LIST  leave these columns out (same LIST)\n"
    "  --header        the first line names the columns; an empty first header cell (R's\n"
    "                  write.csv), a header one cell short (R's write.table) or a non-numeric\n"
    "                  first column makes column 1 the labels\n"
    "  --labels N      column N holds the object labels (0: no label column)\n"
    "  --delimiter D   , ; tab or space (default: guessed from the first line)\n"
    "  --decimal-comma numbers like 5,1 (R's write.csv2); the delimiter is then ;\n"
    "  --missing M     error (default) | drop: drop rows with empty, NA, NaN or infinite cells\n"
    "                  | pairwise: each distance from the columns present in both rows, scaled\n"
    "                  as R's dist scales them\n"
    "  --scale         standardise every column (mean 0, standard deviation 1, as R's scale)\n"
    "  --low-memory    ward.D2 with euclid: merge by nearest-neighbour chains on the data\n"
    "                  vectors, without the distance triangle (taken by itself when the\n"
    "                  triangle does not fit in memory; heights agree to rounding)\n"
    "\n"
    "Output (one of):\n"
    "  --format F      table (step,node1,node2,node,distance; default) | scipy (SciPy's Z)\n"
    "                  | r (an R hclust object for dget) | newick | json\n"
    "  --cut K         K flat clusters: label,cluster per object, numbered as R's cutree\n"
    "                  numbers them (by first appearance); the last K-1 merges are undone.\n"
    "                  Several: 2:10 or 2,4,8 give one column per k, as cutree(k = 2:10)\n"
    "  --cut-height H  flat clusters of the merges at heights <= H (a merge at exactly H is\n"
    "                  made; ties in height are all made or all undone, as cutree does; with\n"
    "                  decreasing heights a subtree is kept whole up to its highest merge, as\n"
    "                  SciPy's fcluster). Several heights: 1,2.5\n"
    "  --order [O]     position,object,label: r (default: R's hclust$order) | scipy (SciPy's\n"
    "                  leaves_list) | optimal (SciPy's optimal_leaf_ordering) | drawn (as the\n"
    "                  dendrogram control draws it)\n"
    "  --cophenetic    the cophenetic correlation coefficient\n"
    "\n"
    "Picture (besides the output; the tree hclust computed, heights as it prints them):\n"
    "  --png FILE, --svg FILE, --pdf FILE, or --plot FILE (format by the extension)\n"
    "  --width N, --height N   size in pixels (default: from the number of objects)\n"
    "  --pixel-ratio R  PNG drawn at R times the pixels (1-16; 2 or 3 for print)\n"
    "  --orientation O  left (default), right, top or bottom: where the leaves are\n"
    "  --title T       a title above the tree\n"
    "  --no-leaf-labels  leaves without labels\n"
    "  With --cut or --cut-height the clusters are coloured and the cut line is drawn.\n"
    "\n"
    "  --time          seconds spent reading, computing distances and merging, to stderr\n"
    "  --version, --help\n"
    "Objects are labelled by the label column, else by their row number among the data rows.\n"
    "Exit status: 0 done, 2 bad arguments or input, 1 out of memory or output not written.\n";

// A failure that ends the run with exit status 2 and this message.
struct BadInput {
  std::string message;
};

enum class Method { kSingle, kComplete, kWard, kWardD2, kUpgma, kWpgma, kFlexible, kCentroid, kMedian };
using Distance = Metric;
enum class Order { kR, kScipy, kOptimal, kDrawn };
enum class Output { kTable, kScipy, kR, kNewick, kJson, kCut, kCutHeight, kOrder, kCophenetic };

struct Named {
  std::string_view name;
  int value;
};

constexpr Named kMethods[] = {
    {"single", 0}, {"complete", 1}, {"ward", 2},     {"ward.D", 2}, {"ward.D2", 3},
    {"average", 4}, {"upgma", 4},   {"weighted", 5}, {"mcquitty", 5}, {"wpgma", 5},
    {"flexible", 6}, {"centroid", 7}, {"median", 8}};
constexpr Named kDistances[] = {{"euclid", 0},    {"euclidean", 0}, {"manhattan", 1},
                                {"cityblock", 1}, {"euclidsqr", 2}, {"sqeuclidean", 2},
                                {"jaccard", 3},   {"dice", 4},      {"jaccard-coefficient", 5},
                                {"dice-coefficient", 6}, {"maximum", 7},
                                {"chebyshev", 7}, {"canberra", 8}, {"minkowski", 9},
                                {"cosine", 10}, {"correlation", 11}, {"hamming", 12},
                                {"binary", 13}};
constexpr Named kOrders[] = {{"r", 0}, {"scipy", 1}, {"optimal", 2}, {"drawn", 3}};
constexpr Named kFormats[] = {{"table", 0}, {"scipy", 1}, {"r", 2}, {"newick", 3}, {"json", 4}};
// Names the R and JSON outputs record.
constexpr std::string_view kMethodNames[] = {"single", "complete", "ward.D", "ward.D2",
                                             "average", "mcquitty", "flexible", "centroid",
                                             "median"};
constexpr std::string_view kDistanceNames[] = {"euclidean", "manhattan", "sqeuclidean",
                                               "jaccard", "dice", "jaccard-coefficient",
                                               "dice-coefficient", "maximum", "canberra",
                                               "minkowski", "cosine", "correlation", "hamming",
                                               "binary"};

struct Options {
  Method method = Method::kWard;
  Distance distance = Distance::kEuclid;
  std::optional<double> alpha;
  CsvOptions csv;
  bool scale = false;
  bool lowMemory = false;
  bool time = false;
  Output output = Output::kTable;
  int outputsChosen = 0;
  int cutK = 0;
  double cutHeight = 0.0;
  PictureOptions picture;
  int picturesChosen = 0;
  std::string pictureOption;  // a picture setting given (for the message without a file)
  std::string file = "-";

  // Analysis: distances as input, metric parameters, peer orders, several cuts.
  bool distancesInput = false;
  std::optional<double> p;
  bool wardNamed = false;  // "ward" typed, which means ward.D
  bool distanceNamed = false;
  Order order = Order::kR;
  std::vector<int> cutKs;
  std::vector<double> cutHeights;
  std::vector<std::string> cutHeads;
};

template <std::size_t N>
int Lookup(const Named (&names)[N], std::string_view name, std::string_view what) {
  std::string list;
  for (const Named& n : names) {
    if (n.name == name) return n.value;
    list += (list.empty() ? "" : ", ") + std::string(n.name);
  }
  throw BadInput{"unknown " + std::string(what) + " " + Quoted(name) + " (" + list + ")"};
}

double Number(std::string_view option, std::string_view text) {
  double v = 0.0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(v))
    throw BadInput{std::string(option) + ": " + Quoted(text) + " is not a number"};
  return v;
}

int Integer(std::string_view option, std::string_view text) {
  int v = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || v < 0)
    throw BadInput{std::string(option) + ": " + Quoted(text) + " is not a whole number >= 0"};
  return v;
}

// --cut values: K, a range A:B, or a list of them separated by commas.
void ParseCuts(const std::string& text, Options& o) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    start = comma + 1;
    const std::size_t colon = item.find(':');
    const int a = Integer("--cut", item.substr(0, colon));
    const int b = colon == std::string::npos ? a : Integer("--cut", item.substr(colon + 1));
    if (b < a) throw BadInput{"--cut " + Quoted(item) + ": the range runs backwards"};
    if (b - a > 100000) throw BadInput{"--cut " + Quoted(item) + ": too many cuts"};
    for (int k = a; k <= b; ++k) {
      o.cutKs.push_back(k);
      o.cutHeads.push_back(std::to_string(k));
    }
  }
}

void ParseCutHeights(const std::string& text, Options& o) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    start = comma + 1;
    o.cutHeights.push_back(Number("--cut-height", item));
    o.cutHeads.push_back(item);
  }
}

Options ParseArguments(const std::vector<std::string>& args, bool& help, bool& version) {
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
    auto chooseOutput = [&](Output out) {
      o.output = out;
      ++o.outputsChosen;
    };
    // Analysis options, a block of their own.
    if (arg == "--input") {
      const std::string v = takeValue();
      if (v != "data" && v != "distances")
        throw BadInput{"unknown --input " + Quoted(v) + " (data, distances)"};
      o.distancesInput = v == "distances";
    } else if (arg == "--p") {
      o.p = Number("--p", takeValue());
    } else if (arg == "--columns") {
      o.csv.columns = takeValue();
    } else if (arg == "--exclude") {
      o.csv.exclude = takeValue();
    } else if (arg == "--order") {
      static const std::string_view kOrderNames[] = {"r", "scipy", "optimal", "drawn"};
      if (inlineValue) {
        o.order = static_cast<Order>(Lookup(kOrders, value, "order"));
      } else if (i + 1 < args.size() && std::find(std::begin(kOrderNames), std::end(kOrderNames),
                                                   args[i + 1]) != std::end(kOrderNames)) {
        o.order = static_cast<Order>(Lookup(kOrders, args[++i], "order"));
      }
      chooseOutput(Output::kOrder);
    } else if (arg == "--method") {
      const std::string v = takeValue();
      o.method = static_cast<Method>(Lookup(kMethods, v, "method"));
      o.wardNamed = v == "ward";
    } else if (arg == "--distance") {
      o.distance = static_cast<Distance>(Lookup(kDistances, takeValue(), "distance"));
      o.distanceNamed = true;
    } else if (arg == "--alpha") {
      o.alpha = Number("--alpha", takeValue());
    } else if (arg == "--header") {
      noValue();
      o.csv.header = true;
    } else if (arg == "--labels") {
      o.csv.labelColumn = Integer("--labels", takeValue());
    } else if (arg == "--delimiter") {
      const std::string v = takeValue();
      if (v == ",") o.csv.delimiter = ',';
      else if (v == ";") o.csv.delimiter = ';';
      else if (v == "tab" || v == "\t") o.csv.delimiter = '\t';
      else if (v == "space" || v == " ") o.csv.delimiter = ' ';
      else throw BadInput{"unknown delimiter " + Quoted(v) + " (, ; tab space)"};
    } else if (arg == "--decimal-comma") {
      noValue();
      o.csv.decimalComma = true;
    } else if (arg == "--missing") {
      const std::string v = takeValue();
      if (v != "drop" && v != "error" && v != "pairwise")
        throw BadInput{"unknown --missing " + Quoted(v) + " (error, drop, pairwise)"};
      o.csv.dropMissing = v == "drop";
      o.csv.keepMissing = v == "pairwise";
    } else if (arg == "--scale") {
      noValue();
      o.scale = true;
    } else if (arg == "--low-memory") {
      noValue();
      o.lowMemory = true;
    } else if (arg == "--format") {
      chooseOutput(static_cast<Output>(Lookup(kFormats, takeValue(), "format")));
    } else if (arg == "--cut") {
      ParseCuts(takeValue(), o);
      o.cutK = o.cutKs.front();
      chooseOutput(Output::kCut);
    } else if (arg == "--cut-height") {
      ParseCutHeights(takeValue(), o);
      o.cutHeight = o.cutHeights.front();
      chooseOutput(Output::kCutHeight);
    } else if (arg == "--cophenetic") {
      noValue();
      chooseOutput(Output::kCophenetic);
    } else if (arg == "--png" || arg == "--svg" || arg == "--pdf" || arg == "--plot") {
      o.picture.path = takeValue();
      if (o.picture.path.empty()) throw BadInput{arg + " needs a file name, not \"\""};
      o.picture.format = arg == "--plot" ? "" : arg.substr(2);
      ++o.picturesChosen;
    } else if (arg == "--width" || arg == "--height") {
      const int v = Integer(arg, takeValue());
      if (v < 50 || v > 30000) throw BadInput{arg + ": " + std::to_string(v) + " is outside 50 to 30000"};
      (arg == "--width" ? o.picture.width : o.picture.height) = v;
      o.pictureOption = arg;
    } else if (arg == "--pixel-ratio") {
      const int v = Integer(arg, takeValue());
      if (v < 1 || v > 16) throw BadInput{"--pixel-ratio: " + std::to_string(v) + " is outside 1 to 16"};
      o.picture.pixelRatio = v;
      o.pictureOption = arg;
    } else if (arg == "--orientation") {
      const std::string v = takeValue();
      if (v == "left") o.picture.orientation = 'l';
      else if (v == "right") o.picture.orientation = 'r';
      else if (v == "top") o.picture.orientation = 't';
      else if (v == "bottom") o.picture.orientation = 'b';
      else throw BadInput{"unknown --orientation " + Quoted(v) + " (left, right, top, bottom)"};
      o.pictureOption = arg;
    } else if (arg == "--title") {
      o.picture.title = takeValue();
      o.pictureOption = arg;
    } else if (arg == "--no-leaf-labels") {
      noValue();
      o.picture.labels = false;
      o.pictureOption = arg;
    } else if (arg == "--time") {
      noValue();
      o.time = true;
    } else if (arg == "-h" || arg == "--help") {
      help = true;
    } else if (arg == "--version") {
      version = true;
    } else if (arg != "-" && arg.size() > 1 && arg[0] == '-') {
      throw BadInput{"unknown option " + Quoted(arg) + " (see hclust --help)"};
    } else {
      if (haveFile)
        throw BadInput{"more than one input file (" + Quoted(o.file) + ", " + Quoted(arg) + ")"};
      o.file = arg;
      haveFile = true;
    }
  }
  if (o.outputsChosen > 1)
    throw BadInput{"choose one output: --format, --cut, --cut-height, --order or --cophenetic"};
  if (o.lowMemory && (o.method != Method::kWardD2 || o.distance != Distance::kEuclid))
    throw BadInput{"--low-memory applies to --method ward.D2 with --distance euclid only"};
  if (o.p && o.distance != Distance::kMinkowski)
    throw BadInput{"--p applies to --distance minkowski only"};
  if (o.p && !(*o.p > 0.0))
    throw BadInput{"--p " + ShortNumber(*o.p) + " must be greater than 0"};
  if (o.distancesInput && (o.distanceNamed || o.p))
    throw BadInput{"--input distances clusters the distances as given: --distance and --p "
                   "apply to data"};
  if (o.distancesInput && (o.scale || o.lowMemory || o.csv.keepMissing || o.csv.dropMissing))
    throw BadInput{"--input distances clusters the distances as given: --scale, --low-memory "
                   "and --missing drop or pairwise apply to data"};
  if (o.lowMemory && o.csv.keepMissing)
    throw BadInput{"--low-memory cannot leave out missing values (--missing pairwise)"};
  if (o.picturesChosen > 1) throw BadInput{"choose one picture: --png, --svg, --pdf or --plot"};
  if (o.picturesChosen == 0 && !o.pictureOption.empty())
    throw BadInput{o.pictureOption + " applies to a picture (--png, --svg, --pdf or --plot)"};
  if (o.picturesChosen == 1 && o.picture.format.empty()) {
    std::string ext = o.picture.path.substr(std::min(o.picture.path.size(), o.picture.path.rfind('.')));
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (ext != ".png" && ext != ".svg" && ext != ".pdf")
      throw BadInput{"--plot " + Quoted(o.picture.path) + ": the name does not end in .png, .svg or .pdf"};
    o.picture.format = ext.substr(1);
  }
  if (o.alpha) {
    if (o.method != Method::kFlexible)
      throw BadInput{"--alpha applies to --method flexible only"};
    if (!(*o.alpha >= 0.5 && *o.alpha <= 1.0))
      throw BadInput{"--alpha " + ShortNumber(*o.alpha) + " is outside [0.5, 1]"};
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

// Standardises every column as R's scale does: minus the mean, over the sample standard
// deviation. A constant column has no spread to divide by; it becomes 0 and is reported.
void Standardise(TMatrix& data, std::ostream& err) {
  for (int c = 1; c <= data.NrOfColumns(); ++c) {
    auto col = data.Column(c);
    double mean = 0.0;
    for (double v : col) mean += v;
    mean /= static_cast<double>(col.size());
    double ss = 0.0;
    for (double v : col) ss += (v - mean) * (v - mean);
    const double sd = col.size() > 1 ? std::sqrt(ss / static_cast<double>(col.size() - 1)) : 0.0;
    if (!(sd > 0.0) || !std::isfinite(sd)) {
      err << "hclust: column " << c << " of the numbers is constant; --scale sets it to 0\n";
      for (double& v : col) v = 0.0;
      continue;
    }
    for (double& v : col) v = (v - mean) / sd;
  }
}

// Square root of a squared merge height; rounding can leave a centroid's a hair below 0.
double SquareRoot(double v) { return v < 0.0 ? 0.0 : std::sqrt(v); }

// Notes on data that may not be what the analyst meant: a distance matrix read as data,
// identifier columns used as variables, presence data that is not 0/1.
void NoteDataShape(const Options& o, const Dataset& ds, std::ostream& err) {
  const TMatrix& data = ds.values;
  const int n = data.NrOfRows();
  if (LooksLikeDistances(data, ds.names, ds.labels))
    err << "hclust: the numbers are a square symmetric matrix with a zero diagonal, like "
           "distances; --input distances clusters them as such (clustered as data now)\n";
  for (int c = 1; c <= data.NrOfColumns(); ++c) {
    const auto ix = static_cast<std::size_t>(c - 1);
    const std::string name = ix < ds.names.size() ? ds.names[ix] : std::string();
    // A short column may count 1, 2, 3 by chance; from ten rows on it is an identifier.
    bool counts = n >= 10;
    for (int r = 1; r <= n && counts; ++r) counts = data.Elem(c, r) == r;
    const bool idName = name == "id" || name == "ID" || name == "Id" || name == "index" ||
                        name == "Index";
    if (!counts && !idName) continue;
    const int fileColumn = ix < ds.fileColumns.size() ? ds.fileColumns[ix] : c;
    err << "hclust: column " << fileColumn << (name.empty() ? "" : " (" + Quoted(name) + ")")
        << (idName ? " is named like an identifier" : " counts 1, 2, 3, ... like an identifier")
        << " and is used as a variable (--exclude " << fileColumn << " leaves it out)\n";
  }
  if (o.distance == Distance::kJaccard || o.distance == Distance::kDice ||
      o.distance == Distance::kBinary) {
    bool binary = true;
    for (int c = 1; c <= data.NrOfColumns() && binary; ++c)
      for (double v : data.Column(c))
        if (!(v == 0.0 || v == 1.0 || std::isnan(v))) {
          binary = false;
          break;
        }
    if (!binary)
      err << "hclust: the data is not 0/1: " << kDistanceNames[static_cast<int>(o.distance)]
          << " counts every nonzero value as present, as R's binary does (--distance "
             "jaccard-coefficient or dice-coefficient for the continuous forms)\n";
  }
}

std::string Size(double bytes) {
  char buf[64];
  constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;
  if (bytes >= kGiB) std::snprintf(buf, sizeof buf, "%.1f GiB", bytes / kGiB);
  else std::snprintf(buf, sizeof buf, "%.1f MiB", bytes / (1024.0 * 1024.0));
  return buf;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int RunHclust(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
  using Clock = std::chrono::steady_clock;
  try {
    bool help = false, version = false;
    const Options o = ParseArguments(args, help, version);
    if (help || version) {
      errno = 0;
      out << (help ? kUsage : "hclust (dendrokit) " DENDROKIT_VERSION "\n");
      return Flushed(out, err) ? 0 : 1;
    }
    const auto t0 = Clock::now();
    auto read = std::make_unique<Dataset>();
    const std::string input = ReadAll(o, in);
    try {
      ReadCsv(input, o.csv, *read);
    } catch (const InputError& e) {
      // A semicolon file whose numbers all read with a decimal comma is R's write.csv2.
      CsvOptions comma = o.csv;
      comma.decimalComma = true;
      auto retry = std::make_unique<Dataset>();
      bool taken = false;
      if (!o.csv.decimalComma && (o.csv.delimiter == 0 || o.csv.delimiter == ';') &&
          input.find(';') != std::string::npos) {
        try {
          ReadCsv(input, comma, *retry);
          taken = retry->values.NrOfColumns() > 0;
        } catch (const InputError&) {
        }
      }
      if (!taken) throw BadInput{e.what()};
      err << "hclust: the numbers have decimal commas (" << e.what()
          << " otherwise); read with --decimal-comma\n";
      read = std::move(retry);
    }
    Dataset& ds = *read;
    if (ds.labelColumnGuessed)
      err << "hclust: column " << ds.labelColumn
          << " is not numeric and is taken as labels (--labels 0 refuses it)\n";
    if (ds.dropped > 0)
      err << "hclust: dropped " << ds.dropped << " of " << ds.rowsRead
          << " rows with missing values\n";
    TMatrix& data = ds.values;
    const bool squared = o.method == Method::kWardD2 || o.method == Method::kCentroid ||
                         o.method == Method::kMedian;
    // The distances, when the tool computes them itself rather than the engine.
    std::vector<double> tri;
    int n = data.NrOfRows();
    if (o.distancesInput) {
      try {
        tri = DistanceInput(data, n);
      } catch (const InputError& e) {
        throw BadInput{e.what()};
      }
      if (data.NrOfRows() == data.NrOfColumns() && data.NrOfRows() > 1) {
        if (!ds.hasLabelColumn && ds.names.size() == static_cast<std::size_t>(n))
          ds.labels = ds.names;
      } else {
        ds.labels.clear();
        for (int k = 1; k <= n; ++k) ds.labels.push_back(std::to_string(k));
      }
    } else {
      NoteDataShape(o, ds, err);
      if (o.scale) Standardise(data, err);
    }
    if (o.wardNamed)
      err << "hclust: ward means ward.D (Ward's update on the distances as given, R's "
             "\"ward.D\"); R's \"ward.D2\" and SciPy's \"ward\" are --method ward.D2\n";
    if (o.output == Output::kCut)
      for (int k : o.cutKs)
        if (k < 1 || k > n)
          throw BadInput{"--cut " + std::to_string(k) + ": the number of clusters must be 1 to " +
                         std::to_string(n) + " (the number of objects)"};
    const auto t1 = Clock::now();

    // The distance as the analyst knows it, and what the engine is given.
    TDistMode engineMode = dmEuclid;
    switch (o.distance) {
      case Distance::kEuclid: engineMode = dmEuclid; break;
      case Distance::kManhattan: engineMode = dmManhattan; break;
      case Distance::kEuclidSqr: engineMode = dmEuclidSqr; break;
      case Distance::kJaccardCoef: engineMode = dmJaccard; break;
      case Distance::kDiceCoef: engineMode = dmDice; break;
      default: engineMode = dmUserDef; break;
    }
    const bool ownDistances = o.distancesInput || engineMode == dmUserDef || o.csv.keepMissing;
    if (ownDistances && !o.distancesInput) {
      std::optional<std::pair<int, int>> none;
      tri = PairwiseDistances(data, o.distance, o.p.value_or(2.0), none);
      if (none) {
        const std::string a = Quoted(ds.labels[static_cast<std::size_t>(none->first - 1)]);
        const std::string b = Quoted(ds.labels[static_cast<std::size_t>(none->second - 1)]);
        bool common = false;
        for (int c = 1; c <= data.NrOfColumns() && !common; ++c)
          common = !std::isnan(data.Elem(c, none->first)) && !std::isnan(data.Elem(c, none->second));
        throw BadInput{common ? "the " + std::string(kDistanceNames[static_cast<int>(o.distance)]) +
                                    " distance of objects " + a + " and " + b +
                                    " is undefined (0/0)"
                              : "objects " + a + " and " + b +
                                    " have no column present in both (--missing pairwise)"};
      }
    }
    auto triIndex = [n](int i, int j) {  // 1 <= i < j <= n
      const auto r = static_cast<std::size_t>(i - 1), un = static_cast<std::size_t>(n);
      return r * (2 * un - r - 1) / 2 + static_cast<std::size_t>(j - i - 1);
    };
    std::function<double(int, int)> dist;
    if (ownDistances) {
      dist = [&tri, triIndex](int i, int j) { return tri[triIndex(i, j)]; };
    } else {
      dist = [&data, engineMode](int i, int j) { return data.Distance(engineMode, i, j); };
    }
    TOnCalcDistanceEvent handler;
    if (squared && engineMode == dmEuclid) {
      engineMode = dmEuclidSqr;  // the sums of squares themselves, not squared roots
    } else if (squared) {
      handler = [&dist](TObject*, int i, int j, double& d) {
        const double x = dist(i, j);
        d = x * x;
      };
      engineMode = dmUserDef;
    } else if (engineMode == dmUserDef) {
      handler = [&dist](TObject*, int i, int j, double& d) { d = dist(i, j); };
    }
    static constexpr TClusterMethod kEngine[] = {cmSingleLink, cmCompleteLink, cmWard, cmWard,
                                                 cmUpgma,      cmAvgLink,      cmFlexLink,
                                                 cmCentroid,   cmMedian};
    const TClusterMethod method = kEngine[static_cast<int>(o.method)];
    const bool wardD2 = squared;

    TIntMatrix table;
    TVector heights, pos;
    Clock::time_point distStart = t1, mergeStart{};
    int calls = 0;
    auto progress = [&](TObject*, double, double) {
      if (calls == 0) distStart = Clock::now();
      if (calls == 1) mergeStart = Clock::now();
      ++calls;
    };
    Tree tree;
    tree.n = n;
    tree.labels = std::move(ds.labels);
    // One rule for every output, the picture too: text that is not UTF-8 is replaced.
    if (const int changed = MakeLabelsValidUtf8(tree); changed > 0)
      err << "hclust: " << changed
          << (changed == 1 ? " label is not UTF-8 text or holds"
                           : " labels are not UTF-8 text or hold")
          << " NUL; such bytes are written as U+FFFD\n";
    tree.method = kMethodNames[static_cast<int>(o.method)];
    tree.distance = o.distancesInput ? std::string("given")
                                     : std::string(kDistanceNames[static_cast<int>(o.distance)]);
    const bool vectorsPossible =
        o.method == Method::kWardD2 && o.distance == Distance::kEuclid && !ownDistances;
    bool useVectors = o.lowMemory;
    if (!useVectors) {
      ProgressCounter = 0.0;
      try {
        if (ownDistances) {
          std::vector<double> given;
          if (squared) {
            given.reserve(tri.size());
            for (double v : tri) given.push_back(v * v);
          }
          HierarchicalClusteringOfDistances(nullptr, squared ? given : tri, n, method,
                                            o.alpha.value_or(0.5), table, heights, pos, progress);
        } else {
          HierarchicalClustering(nullptr, data, engineMode, method, o.alpha.value_or(0.5), table,
                                 heights, pos, progress, handler);
        }
      } catch (const EVELError& e) {
        if (std::string_view(e.what()).find("too many objects") != std::string_view::npos) throw;
        const double bytes = static_cast<double>(n) * (static_cast<double>(n) - 1.0) / 2.0 * 8.0;
        if (!vectorsPossible) {
          err << "hclust: not enough memory: needs " << Size(bytes) << " for the distances of "
              << n << " objects\n";
          return 1;
        }
        err << "hclust: the distances of " << n << " objects need " << Size(bytes)
            << ", more than there is: clustering the data vectors instead (--low-memory)\n";
        useVectors = true;
      }
    }
    if (useVectors) {
      mergeStart = Clock::now();
      for (const TMergeStep& step : WardVectorLinkage(data)) {
        tree.first.push_back(step.first);
        tree.second.push_back(step.second);
        tree.height.push_back(step.height);
      }
      PlaceNodes(tree);
    }
    const auto t2 = Clock::now();
    if (calls < 2 && !useVectors) mergeStart = t2;
    if (useVectors) distStart = mergeStart;
    if (!useVectors) {
      for (int s = 1; s < n; ++s) {
        tree.first.push_back(table.Elem(1, s));
        tree.second.push_back(table.Elem(2, s));
        tree.height.push_back(wardD2 ? SquareRoot(heights.Elem(s)) : heights.Elem(s));
      }
      for (int k = 1; k <= 2 * n - 1; ++k) tree.position.push_back(pos.Elem(k));
    }

    if (const std::string problem = HeightProblem(tree); !problem.empty())
      throw BadInput{problem};

    std::string text;
    switch (o.output) {
      case Output::kTable: text = FormatTable(tree); break;
      case Output::kScipy: text = FormatScipy(tree); break;
      case Output::kR: text = FormatR(tree); break;
      case Output::kNewick: text = FormatNewick(tree); break;
      case Output::kJson: text = FormatJson(tree); break;
      case Output::kOrder:
        switch (o.order) {
          case Order::kR:
          case Order::kScipy: text = FormatLeafOrder(tree, PeerOrder(tree)); break;
          case Order::kOptimal: text = FormatLeafOrder(tree, OptimalLeafOrder(tree, dist)); break;
          case Order::kDrawn: text = FormatOrder(tree); break;
        }
        break;
      case Output::kCut: {
        std::vector<std::vector<int>> cuts;
        for (int k : o.cutKs) cuts.push_back(CutTree(tree, k));
        text = FormatClusterTable(tree, o.cutHeads, cuts);
        break;
      }
      case Output::kCutHeight: {
        std::vector<std::vector<int>> cuts;
        for (double h : o.cutHeights) cuts.push_back(CutTreeAtHeight(tree, h));
        text = FormatClusterTable(tree, o.cutHeads, cuts);
        break;
      }
      case Output::kCophenetic:
        text = ShortNumber(n < 3 ? std::numeric_limits<double>::quiet_NaN()
                                 : CopheneticCorrelation(tree, dist)) + "\n";
        break;
    }
    if (o.picturesChosen > 0) {
      Picture picture{&tree, 0, std::numeric_limits<double>::quiet_NaN()};
      if (o.output == Output::kCut) picture.cutK = o.cutK;
      if (o.output == Output::kCutHeight) picture.cutHeight = o.cutHeight;
      const std::string problem = WritePicture(picture, o.picture);
      if (!problem.empty()) {
        err << "hclust: " << problem << "\n";
        return problem.rfind("cannot write", 0) == 0 ? 1 : 2;
      }
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
