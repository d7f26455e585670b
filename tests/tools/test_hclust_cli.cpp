// hclust's command line: what it writes for good input, and how it refuses bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "numeric/storage_p.h"
#include "tools/hclust_cli.h"
#include "tools/tree_format.h"

namespace dendrokit::tools {
namespace {

struct Outcome {
  int status = 0;
  std::string out, err;
};

Outcome Hclust(std::vector<std::string> args, const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, err;
  Outcome r;
  r.status = RunHclust(args, in, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(HclustCli, WritesTheMergeTableWithSeventeenDigits) {
  const Outcome r = Hclust({"--method", "single", "--distance", "manhattan"}, "0\n0.1\n0.3\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "step,node1,node2,node,distance\n"
            "1,1,2,4,0.10000000000000001\n"
            "2,4,3,5,0.19999999999999998\n");
}

TEST(HclustCli, DefaultsAreWardAndEuclid) {
  const std::string data = "0,0\n3,4\n3,5\n10,10\n";
  EXPECT_EQ(Hclust({}, data).out, Hclust({"--method", "ward", "--distance", "euclid"}, data).out);
  EXPECT_NE(Hclust({}, data).out, Hclust({"--method", "single"}, data).out);
}

TEST(HclustCli, AcceptsHeaderQuotesSpacesCrLfAndBlankLines) {
  const Outcome plain = Hclust({"--method=upgma"}, "1,2\n2,2\n5,1\n");
  const Outcome fancy =
      Hclust({"--header", "--method=upgma", "-"}, "a,b\r\n \"1\" , +2\r\n\r\n2,2.0\r\n5,1e0\r\n\n");
  EXPECT_EQ(fancy.status, 0) << fancy.err;
  EXPECT_EQ(fancy.out, plain.out);
}

TEST(HclustCli, FlexibleAlphaReachesTheEngine) {
  const std::string data = "0\n1\n3\n7\n15\n";
  // alpha 0.5 is WPGMA, which the tool calls weighted (average is UPGMA, as elsewhere).
  EXPECT_EQ(Hclust({"--method", "flexible", "--alpha", "0.5"}, data).out,
            Hclust({"--method", "weighted"}, data).out);
  EXPECT_NE(Hclust({"--method", "flexible", "--alpha", "0.9"}, data).out,
            Hclust({"--method", "weighted"}, data).out);
}

TEST(HclustCli, TimeGoesToStandardError) {
  const Outcome r = Hclust({"--time"}, "1\n2\n4\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, Hclust({}, "1\n2\n4\n").out);
  EXPECT_NE(r.err.find("read "), std::string::npos);
  EXPECT_NE(r.err.find("distances "), std::string::npos);
  EXPECT_NE(r.err.find("merging "), std::string::npos);
}

TEST(HclustCli, ReadsAFile) {
  const std::string path = ::testing::TempDir() + "hclust_cli_input.csv";
  std::ofstream(path) << "x\n1\n2\n";
  const Outcome r = Hclust({"--header", path}, "");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "step,node1,node2,node,distance\n1,1,2,3,1\n");
  std::remove(path.c_str());
}

TEST(HclustCli, OutOfMemorySaysWhatTheDistancesNeed) {
  std::string data;
  for (int i = 0; i < 600; ++i) data += std::to_string(i % 7) + "\n";
  detail::SetStorageLimitForTesting(std::size_t{1} << 20);
  const Outcome r = Hclust({}, data);
  detail::SetStorageLimitForTesting(0);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "hclust: not enough memory: needs 1.4 MiB for the distances of 600 objects\n");
}

TEST(HclustCli, VersionAndHelpNameTheMethodsAsSciPyAndRDo) {
  EXPECT_EQ(Hclust({"--version"}, "").out.rfind("hclust (dendrokit) ", 0), 0u);
  const std::string help = Hclust({"--help"}, "").out;
  for (const char* word : {"average (= upgma", "weighted (= mcquitty = wpgma", "ward.D2", "cutree"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
}

// Files analysts have, read as the plain file they stand for: same output, and what was
// guessed or dropped said on stderr.
struct SameCase {
  const char* name;
  std::vector<std::string> args;
  const char* input;
  std::vector<std::string> plainArgs;
  const char* plainInput;
  const char* note;  // on stderr ("" for nothing)
};

void PrintTo(const SameCase& c, std::ostream* os) { *os << c.name; }

class HclustReads : public ::testing::TestWithParam<SameCase> {};

TEST_P(HclustReads, AsThePlainFile) {
  const SameCase& c = GetParam();
  const Outcome r = Hclust(c.args, c.input);
  const Outcome plain = Hclust(c.plainArgs, c.plainInput);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, plain.out);
  if (*c.note == 0) {
    EXPECT_EQ(r.err, "");
  }
  EXPECT_NE(r.err.find(c.note), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HclustReads,
    ::testing::Values(
        // Regression: --header took R's row-name column for a variable.
        SameCase{"WriteCsvRowNames", {"--header"}, "\"\",\"x\"\n\"1\",0\n\"2\",1\n\"3\",5\n", {}, "0\n1\n5\n", ""},
        SameCase{"WriteTableRowNames", {"--header", "--order"}, "\"x\" \"y\"\n\"a\" 1 2\n\"b b\" 3 4\n",
                 {"--labels", "1", "--order"}, "a,1,2\n\"b b\",3,4\n", ""},
        SameCase{"NamesUnderHeader", {"--header", "--cut", "2"}, "id,x\na,0\nb,1\nc,5\n",
                 {"--cut", "2", "--labels", "1"}, "a,0\nb,1\nc,5\n", "column 1 is not numeric"},
        SameCase{"LabelColumnTwo", {"--labels", "2", "--order"}, "0,a\n1,b\n5,c\n",
                 {"--labels=1", "--order"}, "a,0\nb,1\nc,5\n", ""},
        SameCase{"DropMissing", {"--missing", "drop", "--order"}, "1,2\nNA,3\n2,2\n,1\n5,nan\n6,6\n",
                 {"--labels", "1", "--order"}, "1,1,2\n3,2,2\n6,6,6\n", "dropped 3 of 6 rows"},
        SameCase{"BomCommentsTrailingDelimiter", {}, "\xEF\xBB\xBF# made by hand\n1;2;\n 3 ; 4;\n\n# end\n",
                 {}, "1,2\n3,4\n", ""},
        SameCase{"Blanks", {"--delimiter", "space"}, "1 2\n  3   4\n", {}, "1,2\n3,4\n", ""},
        SameCase{"TabsGuessed", {}, "1\t2\n3\t4\n7\t1\n", {}, "1,2\n3,4\n7,1\n", ""},
        SameCase{"DecimalComma", {"--decimal-comma"}, "1,5;2\n3;4,25\n", {}, "1.5,2\n3,4.25\n", ""},
        SameCase{"ScaleIsStandardised", {"--scale"}, "1,10\n2,30\n3,20\n", {}, "-1,-1\n0,1\n1,0\n", ""},
        // Regression: jaccard clustered the coefficient, joining the least similar rows first.
        SameCase{"JaccardIsADissimilarity", {"--distance", "jaccard", "--method", "single"},
                 "1,1,0\n1,1,0\n0,0,1\n", {"--distance", "euclid", "--method", "single"},
                 "0\n0\n1\n", ""},
        // Regression: blanks inside quotes were taken as part of the number.
        SameCase{"QuotedNumberWithBlanks", {}, "\"4 \",\" 5\"\n1,\"\t2\"\n", {}, "4,5\n1,2\n", ""},
        // Regression: an underflow was refused as out of range; R and NumPy read 0.
        SameCase{"UnderflowIsZero", {}, "1e-400\n-1E-999999999999\n0.0001e-330\n1\n", {}, "0\n0\n0\n1\n", ""},
        // Regression: average was WPGMA; in SciPy and R it is UPGMA.
        SameCase{"AverageIsUpgma", {"--method", "average"}, "0\n1\n3\n9\n", {"--method", "upgma"},
                 "0\n1\n3\n9\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Regression: a quoted row name with a line break (as R's write.csv writes it) was refused
// with "quote not closed".
TEST(HclustCli, QuotedCellsMayHoldLineBreaks) {
  const Outcome r = Hclust({"--header", "--order", "drawn"},
                           "\"\",\"x\"\r\n\"a\r\nb\",1\r\n\"c,\n\n\",2\r\n\"d\",7\r\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "position,object,label\n1,2,\"c,\n\n\"\n2,1,\"a\nb\"\n3,3,d\n");
  // Line numbers count the breaks inside quotes; an open quote names the line it opened on.
  EXPECT_NE(Hclust({"--labels", "1"}, "\"a\n\",2\n3,x\n").err.find("line 3, column 2"), std::string::npos);
  EXPECT_NE(Hclust({}, "1,2\n\"3\n4\n").err.find("line 2, column 1: quote not closed"),
            std::string::npos);
}

TEST(HclustCli, ANegativeExponentCanStillOverflow) {
  const Outcome r = Hclust({}, "1\n1" + std::string(320, '0') + "e-5\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 2, column 1: \"1000"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("is out of range"), std::string::npos) << r.err;
}

// Regression: labels that are not UTF-8 made invalid JSON and R that dget refused, and
// Newick wrote control bytes and underscores unquoted. One rule for every output.
TEST(HclustCli, LabelsAreWrittenAsTextEveryReaderTakes) {
  const std::string data = "\"a\xff\",0\n\"b_c\",1\n\"d\re\",3\n\"\x1b\x01\x7f\",7\n";
  const Outcome json = Hclust({"--labels", "1", "--format", "json"}, data);
  EXPECT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"label\": \"a\xEF\xBF\xBD\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"label\": \"d\\u000de\""), std::string::npos) << json.out;
  EXPECT_EQ(json.err, "hclust: 1 label is not UTF-8 text or holds NUL; such bytes are written "
                      "as U+FFFD\n");
  const Outcome newick = Hclust({"--labels", "1", "--format", "newick"}, data);
  EXPECT_EQ(newick.out, "(('d\re':3,('b_c':1,a\xEF\xBF\xBD:1):2):4.5,'\x1b\x01\x7f':7.5);\n");
  const Outcome r = Hclust({"--labels", "1", "--format", "r"}, "\"\xe2\x80\xae\\\",0\n\"\xc3\xa9\xf0\x9f\x98\x80\",1\n");
  EXPECT_NE(r.out.find("labels = c(\"\\u202e\\\\\", \"\\u00e9\\U0001f600\")"), std::string::npos) << r.out;
  const Outcome cut = Hclust({"--labels", "1", "--cut", "1"}, "\"\xc0\xaf x\",0\n\"\xed\xa0\x80,\",1\n");
  EXPECT_EQ(cut.out, "label,cluster\n\xEF\xBF\xBD\xEF\xBF\xBD x,1\n\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD,\",1\n");
}

TEST(HclustCli, ValidUtf8ReplacesEachIllFormedSequenceOnce) {
  const std::pair<std::string, std::string> cases[] = {
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"a\xe2\x82" "b", "a\xEF\xBF\xBD" "b"},  // a truncated sequence is one
      {"\xf4\x90\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // above U+10FFFF: each byte
      {std::string("x\0y", 3), "x\xEF\xBF\xBDy"},            // NUL: no reader keeps it
      {"\xf0\x9f\x98", "\xEF\xBF\xBD"}};
  for (const auto& [in, want] : cases) EXPECT_EQ(ValidUtf8(in), want);
}

// Regression: inf and nan heights were written as if they were numbers (Newick "inf", JSON
// null, R Inf) with exit status 0.
TEST(HclustCli, ANonFiniteHeightIsAnErrorInEveryFormat) {
  const std::vector<std::vector<std::string>> outputs = {
      {"--format", "table"}, {"--format", "scipy"}, {"--format", "r"}, {"--format", "newick"},
      {"--format", "json"},  {"--order"},           {"--cut", "2"},    {"--cut-height", "1"}};
  for (const auto& args : outputs) {
    const Outcome over = Hclust(args, "1e308\n-1e308\n0\n");
    EXPECT_EQ(over.status, 2) << args[0];
    EXPECT_EQ(over.out, "");
    EXPECT_EQ(over.err.rfind("hclust: merge 1 of 2 has height inf: ", 0), 0u) << over.err;
    std::vector<std::string> jaccard = args;
    jaccard.insert(jaccard.end(), {"--distance", "jaccard-coefficient"});
    const Outcome nan = Hclust(jaccard, "0,0\n0,0\n1,1\n");
    EXPECT_EQ(nan.status, 2) << args[0];
    EXPECT_NE(nan.err.find("has height nan"), std::string::npos) << nan.err;
  }
}

struct BadCase {
  const char* name;
  std::vector<std::string> args;
  const char* input;
  const char* message;  // must appear in the single line on stderr
};

// Test names carry the case name; the raw bytes of the struct tell a reader nothing.
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class HclustBadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(HclustBadInput, OneMessageExitTwoNothingOnStdout) {
  const BadCase& c = GetParam();
  const Outcome r = Hclust(c.args, c.input);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_EQ(r.err.rfind("hclust: ", 0), 0u) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HclustBadInput,
    ::testing::Values(
        BadCase{"NonNumeric", {}, "1,2\n3,abc\n", "line 2, column 2: \"abc\" is not a number"},
        BadCase{"TrailingGarbage", {}, "1,2x\n", "line 1, column 2: \"2x\" is not a number"},
        BadCase{"NaN", {}, "1\nnan\n", "line 2, column 1: \"nan\" is not a finite number"},
        BadCase{"Infinity", {}, "1\n2\n-inf\n", "line 3, column 1: \"-inf\" is not a finite"},
        BadCase{"Overflow", {}, "1\n1e400\n", "line 2, column 1: \"1e400\" is out of range"},
        BadCase{"EmptyCell", {}, "1,,2\n", "line 1, column 2: empty cell"},
        BadCase{"ShortRow", {}, "1,2,3\n4,5\n", "line 2, column 3: missing cell"},
        BadCase{"LongRow", {}, "1,2\n4,5,6\n", "line 2, column 3: more cells than the 2"},
        BadCase{"HeaderLineCountsInLineNumbers", {"--header"}, "a,b\n1,2\n3,?\n", "line 3, column 2"},
        BadCase{"EmptyFile", {}, "", "line 1, column 1: no data"},
        BadCase{"OnlyAHeader", {"--header"}, "a,b\n", "line 2, column 1: no data after the header"},
        BadCase{"HeaderNotSkipped", {}, "a,b\n1,2\n", "line 1, column 1: \"a\" is not a number"},
        BadCase{"UnknownOption", {"--fast"}, "1\n2\n", "unknown option \"--fast\""},
        BadCase{"UnknownMethod", {"--method", "centroids"}, "1\n2\n", "unknown method \"centroids\""},
        BadCase{"UnknownDistance", {"--distance=cosinus"}, "1\n2\n", "unknown distance \"cosinus\""},
        BadCase{"MissingValue", {"--alpha"}, "1\n2\n", "option --alpha needs a value"},
        BadCase{"BadAlpha", {"--alpha", "half"}, "1\n2\n", "--alpha: \"half\" is not a number"},
        BadCase{"FlagWithValue", {"--header=yes"}, "1\n2\n", "option --header takes no value"},
        BadCase{"TwoFiles", {"a.csv", "b.csv"}, "", "more than one input file"},
        // Regression: the raw bytes of the second name made a two-line message.
        BadCase{"ControlBytesInAName", {"ok.csv", "x\ny\xff"}, "", "(\"ok.csv\", \"x?y?\")"},
        BadCase{"MissingFile", {"/nonexistent/dendrokit.csv"}, "", "cannot open"},
        BadCase{"NotAvailable", {}, "1\nNA\n", "line 2, column 1: \"NA\" is a missing value (--missing"},
        // Regression: alpha was clamped silently, and ignored by the other methods.
        BadCase{"AlphaOutOfRange", {"--method", "flexible", "--alpha", "0.3"}, "1\n2\n", "outside [0.5, 1]"},
        BadCase{"AlphaWithAnotherMethod", {"--alpha", "0.7"}, "1\n2\n", "--method flexible only"},
        BadCase{"TooManyClusters", {"--cut", "3"}, "1\n2\n", "must be 1 to 2"},
        BadCase{"TwoOutputs", {"--cut", "2", "--format", "json"}, "1\n2\n", "choose one output"},
        BadCase{"LowMemoryOtherMethod", {"--low-memory"}, "1\n2\n", "ward.D2 with --distance euclid only"},
        BadCase{"LabelsOnly", {"--labels", "1"}, "a\nb\n", "no numeric column"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dendrokit::tools
