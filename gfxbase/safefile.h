// Writing a file so that it is either complete or left as it was: the bytes go to a
// temporary file in the target's folder, which replaces the target only once everything
// has been written and flushed to disk. Qt-free (POSIX).
#pragma once

#include "gfxbase/export.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace dendrokit {

// Failures raise EVELError with one line: cannot write "<path>": <cause>, where the cause
// is the system's (no space left on device, permission denied, ...). File names are used
// as the bytes given, never re-encoded.
class DENDROKIT_EXPORT TSafeFile {
 public:
  // Opens the temporary file next to path (a symbolic link's target is replaced, not the
  // link). A target that exists and is not a regular file (a device, a FIFO) is written
  // directly, since it cannot be replaced. An empty name, a folder and a folder that cannot
  // be written raise at once.
  explicit TSafeFile(std::string path);
  // Removes the temporary file unless Commit succeeded; the target stays as it was.
  ~TSafeFile();
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;

  void Write(const void* data, std::size_t size);
  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
  // Flushes to disk and puts the file in place of the target.
  void Commit();

  const std::string& Path() const { return path_; }
  // The failure message for path with the cause as text.
  static std::string Failure(const std::string& path, const std::string& cause);

 private:
  [[noreturn]] void Fail(int error);
  void Discard();

  std::string path_;    // as given, for messages
  std::string target_;  // the file replaced (a link's target)
  std::string temp_;    // empty when writing the target directly
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace dendrokit
