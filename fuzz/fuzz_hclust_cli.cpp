// The hclust tool end to end: the bytes up to the first "\n--\n" are arguments (one a line),
// the rest is standard input. File names are read as "-" so that nothing touches the disk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/hclust_cli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find("\n--\n");
  std::vector<std::string> args;
  std::string_view input = bytes;
  if (split != std::string_view::npos) {
    std::string_view head = bytes.substr(0, split);
    input = bytes.substr(split + 4);
    while (!head.empty()) {
      const std::size_t eol = std::min(head.find('\n'), head.size());
      std::string arg(head.substr(0, eol));
      if (arg.empty() || arg[0] != '-') arg = "-";
      args.push_back(std::move(arg));
      head.remove_prefix(std::min(eol + 1, head.size()));
    }
  }
  std::istringstream in{std::string(input)};
  std::ostringstream out, err;
  const int status = dendrokit::tools::RunHclust(args, in, out, err);
  // Every run ends with a known status; a refusal says something and writes no result.
  if (status != 0 && status != 1 && status != 2) std::abort();
  if (status != 0 && (err.str().empty() || !out.str().empty())) std::abort();
  return 0;
}
