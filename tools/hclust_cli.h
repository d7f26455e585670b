// The hclust command: clusters the rows of a CSV file and writes the merge table as CSV.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace dendrokit::tools {

// Runs hclust with the arguments after the program name. Reads FILE, or `in` for "-" or no
// file; writes the merge table to `out` only when everything succeeded, and any message to
// `err`. Returns the exit status: 0 done, 2 bad arguments or bad input, 1 other failures.
int RunHclust(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err);

}  // namespace dendrokit::tools
