// The hclust executable against failing standard streams and files: one line on stderr,
// nothing on stdout, and an exit status that says what went wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

struct ProcessCase {
  const char* name;
  const char* command;  // sh; $H is hclust, $IN a small CSV, $BIG one with a long output
  int status;
  const char* message;
};

void PrintTo(const ProcessCase& c, std::ostream* os) { *os << c.name; }

class HclustProcess : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(HclustProcess, OneLineOnStderrAndTheStatus) {
  const ProcessCase& c = GetParam();
  const std::string dir = ::testing::TempDir() + "hclust_process_" + c.name + "/";
  std::system(("mkdir -p " + dir).c_str());
  std::ofstream(dir + "in.csv") << "1,2\n3,4\n6,1\n";
  {
    std::ofstream big(dir + "big.csv");
    for (int i = 0; i < 4000; ++i) big << (i * 7919) % 4001 << "\n";
  }
  const std::string script = std::string("H=") + HCLUST_PATH + " IN=" + dir + "in.csv BIG=" + dir +
                             "big.csv SHIM=" + EIO_SHIM +
                             " NOSPACE=" + NOSPACE_SHIM + "; cd " + dir + "; " + c.command;
  const std::string run = "sh -c '( " + script + " ) >" + dir + "out 2>" + dir + "err; echo $? >" +
                          dir + "status'";
  ASSERT_EQ(std::system(run.c_str()), 0) << run;
  // Commands that send stdout elsewhere leave out empty; the pipe case writes its own status.
  const std::string statusFile = std::ifstream(dir + "pipestatus") ? "pipestatus" : "status";
  EXPECT_EQ(std::stoi(Slurp(dir + statusFile)), c.status) << c.command;
  EXPECT_EQ(Slurp(dir + "out"), "");
  const std::string err = Slurp(dir + "err");
  EXPECT_EQ(err.rfind("hclust: ", 0), 0u) << err;
  EXPECT_NE(err.find(c.message), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// Regressions: read errors escaped as std::ios_base::failure (abort, status 134), and write
// errors gave status 1 without a word (or 0 for --help).
INSTANTIATE_TEST_SUITE_P(
    Table, HclustProcess,
    ::testing::Values(
        ProcessCase{"DirectoryAsFile", "$H .", 2, "cannot read \".\": Is a directory"},
        ProcessCase{"DirectoryOnStdin", "$H - < .", 2, "cannot read standard input"},
        ProcessCase{"ClosedStdin", "$H - <&-", 2, "cannot read standard input"},
        ProcessCase{"ReadFailsPartWay",
                    "LD_PRELOAD=$SHIM ASAN_OPTIONS=verify_asan_link_order=0 $H $IN", 2,
                    "Input/output error"},
        ProcessCase{"FullDisk", "$H $IN >/dev/full", 1, "output could not be written"},
        ProcessCase{"HelpOnFullDisk", "$H --help >/dev/full", 1, "output could not be written"},
        ProcessCase{"ClosedStdout", "$H $IN >&-", 1, "output could not be written"},
        ProcessCase{"ClosedPipeSigpipeIgnored",
                    "trap \"\" PIPE; { $H $BIG; echo $? >pipestatus; } | true", 1,
                    "output could not be written"}),
    [](const auto& info) { return std::string(info.param.name); });

#ifdef HCLUST_HAS_PICTURES
// Regressions: pictures that could not be written were reported as success (status 0),
// and a full disk left the old picture at 0 bytes. Status 99: the old file was changed or
// a temporary file was left behind.
#define KEEPS_OLD(cmd)                                                                   \
  "printf OLD >old.png; " cmd "; st=$?; [ \"$(cat old.png)\" = OLD ] || st=99; "         \
  "[ $(ls -A | grep -c tmp) = 0 ] || st=99; exit $st"
INSTANTIATE_TEST_SUITE_P(
    Pictures, HclustProcess,
    ::testing::Values(
        ProcessCase{"PngOnFullDevice", "$H --png /dev/full $IN", 1,
                    "cannot write \"/dev/full\": No space left on device"},
        ProcessCase{"SvgOnFullDevice", "$H --svg /dev/full $IN", 1, "No space left on device"},
        ProcessCase{"PngDiskFull",
                    KEEPS_OLD("LD_PRELOAD=$NOSPACE ASAN_OPTIONS=verify_asan_link_order=0 "
                              "$H --png old.png $IN"),
                    1, "cannot write \"old.png\": No space left on device"},
        ProcessCase{"PdfIntoMissingFolder", KEEPS_OLD("$H --pdf no/such.pdf $IN"), 1,
                    "No such file or directory"},
        ProcessCase{"PngIsAFolder", KEEPS_OLD("mkdir -p d.png; $H --png d.png $IN"), 1,
                    "Is a directory"},
        ProcessCase{"EmptyPngName", "$H --png \"\" $IN", 2, "--png needs a file name"},
        ProcessCase{"PlotUnknownType", "$H --plot x.gif $IN", 2, "does not end in .png"},
        ProcessCase{"SizeWithoutPicture", "$H --width 400 $IN", 2, "applies to a picture"},
        ProcessCase{"TwoPictures", "$H --png a.png --svg b.svg $IN", 2, "choose one picture"},
        ProcessCase{"BadOrientation", "$H --png a.png --orientation up $IN", 2,
                    "unknown --orientation"},
        ProcessCase{"BadPixelRatio", "$H --png a.png --pixel-ratio 0 $IN", 2, "outside 1 to 16"}),
    [](const auto& info) { return std::string(info.param.name); });

// Memory running out while the picture is drawn (a sanitizer's shadow memory needs more
// address space than any limit here leaves).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HCLUST_NO_ULIMIT
#endif
#endif
#if !defined(__SANITIZE_ADDRESS__) && !defined(HCLUST_NO_ULIMIT)
INSTANTIATE_TEST_SUITE_P(
    Memory, HclustProcess,
    ::testing::Values(ProcessCase{
        "PngOutOfMemory", KEEPS_OLD("ulimit -v 400000; $H --png old.png --width 10000 --height 10000 $IN"),
        1, "cannot write \"old.png\": not enough memory"}),
    [](const auto& info) { return std::string(info.param.name); });
#endif
#endif

}  // namespace
