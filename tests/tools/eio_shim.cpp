// LD_PRELOAD shim for the read-error tests: the first read of every file descriptor above 2
// returns at most 8 bytes, every later one fails with EIO.
#include <dlfcn.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>

namespace {
bool seen[1024];
}

extern "C" ssize_t read(int fd, void* buf, std::size_t count) {
  using ReadFn = ssize_t (*)(int, void*, std::size_t);
  static const auto real = reinterpret_cast<ReadFn>(dlsym(RTLD_NEXT, "read"));
  if (fd > 2 && fd < 1024) {
    if (seen[fd]) {
      errno = EIO;
      return -1;
    }
    seen[fd] = true;
    if (count > 8) count = 8;
  }
  return real(fd, buf, count);
}
