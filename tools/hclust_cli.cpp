#include "tools/hclust_cli.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <limits>
#include <new>
#include <optional>
#include <string_view>

#include "cluster/hclust.h"
#include "cluster/ward_vectors.h"
#include "gfxbase/errors.h"
#include "gfxbase/globals.h"
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
    "                  as SciPy 'ward' and R 'ward.D2') | flexible (flexible beta). Default ward.\n"
    "  --alpha A       flexible only: alpha in [0.5, 1] (beta = 1 - 2 alpha). Default 0.5.\n"
    "  --distance D    euclid | manhattan | euclidsqr | jaccard | dice (1 - coefficient, on 0/1\n"
    "                  data SciPy's jaccard and dice, R's binary) | jaccard-coefficient |\n"
    "                  dice-coefficient (the coefficients themselves). Default euclid.\n"
    "  --header        the first line names the columns; an empty first header cell (R's\n"
    "                  write.csv), a header one cell short (R's write.table) or a non-numeric\n"
    "                  first column makes column 1 the labels\n"
    "  --labels N      column N holds the object labels (0: no label column)\n"
    "  --delimiter D   , ; tab or space (default: guessed from the first line)\n"
    "  --decimal-comma numbers like 5,1 (R's write.csv2); the delimiter is then ;\n"
    "  --missing M     error (default) or drop: drop rows with empty, NA, NaN or infinite cells\n"
    "  --scale         standardise every column (mean 0, standard deviation 1, as R's scale)\n"
    "  --low-memory    ward.D2 with euclid: merge by nearest-neighbour chains on the data\n"
    "                  vectors, without the distance triangle (taken by itself when the\n"
    "                  triangle does not fit in memory; heights agree to rounding)\n"
    "\n"
    "Output (one of):\n"
    "  --format F      table (step,node1,node2,node,distance; default) | scipy (SciPy's Z)\n"
    "                  | r (an R hclust object for dget) | newick | json\n"
    "  --cut K         K flat clusters: label,cluster per object, numbered as R's cutree\n"
    "                  numbers them (by first appearance); the last K-1 merges are undone\n"
    "  --cut-height H  flat clusters of the merges at heights <= H (a merge at exactly H is\n"
    "                  made; ties in height are all made or all undone, as cutree does)\n"
    "  --order         the objects as the dendrogram draws them: position,object,label\n"
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

enum class Method { kSingle, kComplete, kWard, kWardD2, kUpgma, kWpgma, kFlexible };
enum class Distance { kEuclid, kManhattan, kEuclidSqr, kJaccard, kDice, kJaccardCoef, kDiceCoef };
enum class Output { kTable, kScipy, kR, kNewick, kJson, kCut, kCutHeight, kOrder, kCophenetic };

struct Named {
  std::string_view name;
  int value;
};

constexpr Named kMethods[] = {
    {"single", 0}, {"complete", 1}, {"ward", 2},     {"ward.D", 2}, {"ward.D2", 3},
    {"average", 4}, {"upgma", 4},   {"weighted", 5}, {"mcquitty", 5}, {"wpgma", 5},
    {"flexible", 6}};
constexpr Named kDistances[] = {{"euclid", 0},    {"euclidean", 0}, {"manhattan", 1},
                                {"cityblock", 1}, {"euclidsqr", 2}, {"sqeuclidean", 2},
                                {"jaccard", 3},   {"dice", 4},      {"jaccard-coefficient", 5},
                                {"dice-coefficient", 6}};
constexpr Named kFormats[] = {{"table", 0}, {"scipy", 1}, {"r", 2}, {"newick", 3}, {"json", 4}};
// Names the R and JSON outputs record.
constexpr std::string_view kMethodNames[] = {"single", "complete", "ward.D", "ward.D2",
                                             "average", "mcquitty", "flexible"};
constexpr std::string_view kDistanceNames[] = {"euclidean", "manhattan", "sqeuclidean",
                                               "jaccard", "dice", "jaccard-coefficient",
                                               "dice-coefficient"};

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
    if (arg == "--method") {
      o.method = static_cast<Method>(Lookup(kMethods, takeValue(), "method"));
    } else if (arg == "--distance") {
      o.distance = static_cast<Distance>(Lookup(kDistances, takeValue(), "distance"));
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
      if (v != "drop" && v != "error")
        throw BadInput{"unknown --missing " + Quoted(v) + " (error, drop)"};
      o.csv.dropMissing = v == "drop";
    } else if (arg == "--scale") {
      noValue();
      o.scale = true;
    } else if (arg == "--low-memory") {
      noValue();
      o.lowMemory = true;
    } else if (arg == "--format") {
      chooseOutput(static_cast<Output>(Lookup(kFormats, takeValue(), "format")));
    } else if (arg == "--cut") {
      o.cutK = Integer("--cut", takeValue());
      chooseOutput(Output::kCut);
    } else if (arg == "--cut-height") {
      o.cutHeight = Number("--cut-height", takeValue());
      chooseOutput(Output::kCutHeight);
    } else if (arg == "--order") {
      noValue();
      chooseOutput(Output::kOrder);
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
    Dataset ds;
    try {
      ReadCsv(ReadAll(o, in), o.csv, ds);
    } catch (const InputError& e) {
      throw BadInput{e.what()};
    }
    if (ds.labelColumnGuessed)
      err << "hclust: column " << ds.labelColumn
          << " is not numeric and is taken as labels (--labels 0 refuses it)\n";
    if (ds.dropped > 0)
      err << "hclust: dropped " << ds.dropped << " of " << ds.rowsRead
          << " rows with missing values\n";
    TMatrix& data = ds.values;
    if (o.scale) Standardise(data, err);
    const int n = data.NrOfRows();
    if (o.output == Output::kCut && (o.cutK < 1 || o.cutK > n))
      throw BadInput{"--cut " + std::to_string(o.cutK) + ": the number of clusters must be 1 to " +
                     std::to_string(n) + " (the number of objects)"};
    const auto t1 = Clock::now();

    // The distance as the analyst knows it, and what the engine is given.
    TDistMode engineMode = dmEuclid;
    std::function<double(int, int)> dist;
    switch (o.distance) {
      case Distance::kEuclid: engineMode = dmEuclid; break;
      case Distance::kManhattan: engineMode = dmManhattan; break;
      case Distance::kEuclidSqr: engineMode = dmEuclidSqr; break;
      case Distance::kJaccardCoef: engineMode = dmJaccard; break;
      case Distance::kDiceCoef: engineMode = dmDice; break;
      case Distance::kJaccard:
      case Distance::kDice: {
        // 1 - coefficient; two rows of zeros are identical (0/0 in the coefficient).
        const TDistMode coef = o.distance == Distance::kJaccard ? dmJaccard : dmDice;
        dist = [&data, coef](int i, int j) {
          const double c = data.Distance(coef, i, j);
          return std::isnan(c) ? 0.0 : 1.0 - c;
        };
        engineMode = dmUserDef;
        break;
      }
    }
    if (!dist) dist = [&data, engineMode](int i, int j) { return data.Distance(engineMode, i, j); };
    TOnCalcDistanceEvent handler;
    const bool wardD2 = o.method == Method::kWardD2;
    if (wardD2 && engineMode == dmEuclid) {
      engineMode = dmEuclidSqr;  // the sums of squares themselves, not squared roots
    } else if (wardD2) {
      handler = [&dist](TObject*, int i, int j, double& d) {
        const double x = dist(i, j);
        d = x * x;
      };
      engineMode = dmUserDef;
    } else if (engineMode == dmUserDef) {
      handler = [&dist](TObject*, int i, int j, double& d) { d = dist(i, j); };
    }
    static constexpr TClusterMethod kEngine[] = {cmSingleLink, cmCompleteLink, cmWard, cmWard,
                                                 cmUpgma,      cmAvgLink,      cmFlexLink};
    const TClusterMethod method = kEngine[static_cast<int>(o.method)];

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
    tree.method = kMethodNames[static_cast<int>(o.method)];
    tree.distance = kDistanceNames[static_cast<int>(o.distance)];
    const bool vectorsPossible = wardD2 && o.distance == Distance::kEuclid;
    bool useVectors = o.lowMemory;
    if (!useVectors) {
      ProgressCounter = 0.0;
      try {
        HierarchicalClustering(nullptr, data, engineMode, method, o.alpha.value_or(0.5), table,
                               heights, pos, progress, handler);
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
        tree.height.push_back(wardD2 ? std::sqrt(heights.Elem(s)) : heights.Elem(s));
      }
      for (int k = 1; k <= 2 * n - 1; ++k) tree.position.push_back(pos.Elem(k));
    }

    std::string text;
    switch (o.output) {
      case Output::kTable: text = FormatTable(tree); break;
      case Output::kScipy: text = FormatScipy(tree); break;
      case Output::kR: text = FormatR(tree); break;
      case Output::kNewick: text = FormatNewick(tree); break;
      case Output::kJson: text = FormatJson(tree); break;
      case Output::kOrder: text = FormatOrder(tree); break;
      case Output::kCut: text = FormatClusters(tree, CutTree(tree, o.cutK)); break;
      case Output::kCutHeight: {
        const std::optional<int> k = ClustersAtHeight(tree, o.cutHeight);
        if (!k)
          throw BadInput{"--cut-height: the merge heights are not increasing (as " +
                         tree.method + " can make them), so no cut at one height exists; use --cut"};
        text = FormatClusters(tree, CutTree(tree, *k));
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
