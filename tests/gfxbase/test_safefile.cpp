// Files written whole or not at all: the old file survives every failure.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "gfxbase/errors.h"
#include "gfxbase/safefile.h"

namespace dendrokit {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string Folder(const char* name) {
  const std::string dir = ::testing::TempDir() + name + "/";
  std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
  return dir;
}

int Entries(const std::string& dir) {
  const std::string cmd = "test $(ls -A " + dir + " | wc -l) -eq ";
  for (int n = 0; n < 10; ++n)
    if (std::system((cmd + std::to_string(n)).c_str()) == 0) return n;
  return -1;
}

TEST(SafeFile, ReplacesOnlyWhenCommittedAndKeepsPermissions) {
  const std::string dir = Folder("safefile_commit");
  const std::string path = dir + "pic.png";
  std::ofstream(path) << "OLD";
  chmod(path.c_str(), 0640);
  {
    TSafeFile f(path);
    f.Write("NEW, half");
  }  // abandoned: the old file stays, the temporary file is gone
  EXPECT_EQ(Slurp(path), "OLD");
  EXPECT_EQ(Entries(dir), 1);
  {
    TSafeFile f(path);
    f.Write("NEW");
    EXPECT_EQ(Slurp(path), "OLD");
    f.Commit();
  }
  EXPECT_EQ(Slurp(path), "NEW");
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Entries(dir), 1);
}

TEST(SafeFile, LinksKeptNamesTakenAsBytes) {
  const std::string dir = Folder("safefile_names");
  std::ofstream(dir + "real.svg") << "OLD";
  ASSERT_EQ(symlink("real.svg", (dir + "link.svg").c_str()), 0);
  {
    TSafeFile f(dir + "link.svg");
    f.Write("NEW");
    f.Commit();
  }
  struct stat st {};
  ASSERT_EQ(lstat((dir + "link.svg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Slurp(dir + "real.svg"), "NEW");
  // Not UTF-8: the name on disk has exactly these bytes.
  const std::string latin1 = dir + "caf\xe9.png";
  {
    TSafeFile f(latin1);
    f.Write("x");
    f.Commit();
  }
  EXPECT_EQ(Slurp(latin1), "x");
}

TEST(SafeFile, FailuresNameTheCause) {
  const std::string dir = Folder("safefile_fail");
  struct Case {
    std::string path;
    const char* cause;
  };
  for (const Case& c : {Case{"", "the file name is empty"}, Case{dir, "Is a directory"},
                        Case{dir + "no/such/folder.png", "No such file or directory"},
                        Case{"/dev/full", "No space left on device"}}) {
    try {
      TSafeFile f(c.path);
      f.Write(std::string(100000, 'x'));
      f.Commit();
      ADD_FAILURE() << c.path << " was written";
    } catch (const EVELError& e) {
      EXPECT_EQ(std::string(e.what()), "cannot write \"" + c.path + "\": " + c.cause);
    }
  }
  EXPECT_EQ(Entries(dir), 0);
}

}  // namespace
}  // namespace dendrokit
