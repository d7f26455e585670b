// Files written whole or not at all (failures: tests/tools/test_hclust_process.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "gfxbase/safefile.h"

namespace dendrokit {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

fs::path Folder(const char* name) {
  const fs::path dir = fs::path(::testing::TempDir()) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

auto Entries(const fs::path& dir) { return std::distance(fs::directory_iterator(dir), {}); }

TEST(SafeFile, ReplacesOnlyWhenCommittedKeepingPermissionsAndLinks) {
  const fs::path dir = Folder("safefile_commit");
  const fs::path path = dir / "pic.png";
  std::ofstream(path) << "OLD";
  fs::permissions(path, fs::perms(0640));
  {
    TSafeFile f(path);
    f.Write("NEW, half");
  }  // abandoned: the old file stays, the temporary file is gone
  EXPECT_EQ(Slurp(path), "OLD");
  EXPECT_EQ(Entries(dir), 1);
  fs::create_symlink("pic.png", dir / "link.png");
  TSafeFile f((dir / "link.png").string());
  f.Write("NEW");
  EXPECT_EQ(Slurp(path), "OLD");
  f.Commit();
  EXPECT_EQ(Slurp(path), "NEW");
  EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_EQ(Entries(dir), 2);
}

}  // namespace
}  // namespace dendrokit
