// LD_PRELOAD shim for the disk-full tests: every write to a regular file fails with ENOSPC
// after its first 100 bytes, as on a full disk (pipes, terminals and Qt's own descriptors
// are left alone).
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>

extern "C" ssize_t write(int fd, const void* buf, std::size_t count) {
  using WriteFn = ssize_t (*)(int, const void*, std::size_t);
  static const auto real = reinterpret_cast<WriteFn>(dlsym(RTLD_NEXT, "write"));
  struct stat st {};
  if (fd > 2 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (st.st_size >= 100) {
      errno = ENOSPC;
      return -1;
    }
    if (count > 100) count = 100;
  }
  return real(fd, buf, count);
}
