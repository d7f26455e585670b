#include <iostream>
#include <string>
#include <vector>

#include "tools/hclust_cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return dendrokit::tools::RunHclust(args, std::cin, std::cout, std::cerr);
}
