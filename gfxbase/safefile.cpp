#include "gfxbase/safefile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "gfxbase/errors.h"

namespace dendrokit {

namespace {

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string TSafeFile::Failure(const std::string& path, const std::string& cause) {
  return "cannot write " + Quote(path) + ": " + cause;
}

void TSafeFile::Fail(int error) {
  const std::string cause =
      error == ENOMEM ? std::string("not enough memory") : std::string(std::strerror(error));
  Discard();
  throw EVELError(Failure(path_, cause));
}

TSafeFile::TSafeFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) throw EVELError("cannot write \"\": the file name is empty");
  target_ = path_;
  struct stat st {};
  bool exists = lstat(path_.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) {
    // Replace what the link points at and keep the link.
    if (char* real = realpath(path_.c_str(), nullptr)) {
      target_ = real;
      std::free(real);
    }
    exists = stat(target_.c_str(), &st) == 0;
  }
  if (exists && S_ISDIR(st.st_mode)) Fail(EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    fd_ = open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) Fail(errno);
    return;
  }
  const std::string folder = FolderOf(target_), base = BaseOf(target_);
  std::random_device seed;
  std::mt19937 rng(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = folder + "/." + base + "." + std::to_string(rng() % 1000000) + ".tmp";
    // Names too long for the folder fall back to a short one in the same folder.
    if (base.size() > 200) name = folder + "/.dendrokit." + std::to_string(rng()) + ".tmp";
    fd_ = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd_ >= 0) {
      temp_ = std::move(name);
      break;
    }
    if (errno != EEXIST) Fail(errno);
  }
  if (fd_ < 0) Fail(EEXIST);
  // The replacement keeps the old file's permissions.
  if (exists) fchmod(fd_, st.st_mode & 07777);
}

TSafeFile::~TSafeFile() { Discard(); }

void TSafeFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

void TSafeFile::Write(const void* data, std::size_t size) {
  if (fd_ < 0) Fail(EBADF);
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(errno);
    if (n == 0) Fail(ENOSPC);
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

void TSafeFile::Commit() {
  if (fd_ < 0) Fail(EBADF);
  // Devices and FIFOs cannot be synced; for a regular file a failed sync is a lost write.
  if (fsync(fd_) != 0 && !temp_.empty()) Fail(errno);
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) Fail(errno);
  if (temp_.empty()) {
    committed_ = true;
    return;
  }
  if (rename(temp_.c_str(), target_.c_str()) != 0) Fail(errno);
  committed_ = true;
  temp_.clear();
  // Make the new name durable too; a folder that cannot be synced is no failure of the file.
  const int dir = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

}  // namespace dendrokit
