// POSIX implementation of os.h.
#include "sender/os.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {

namespace {

std::string Reason(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR: return "no such file";
    case EACCES:
    case EPERM: return "access denied";
    case EISDIR: return "it is a folder";
    default: return std::strerror(code);
  }
}

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace

InputFile::~InputFile() {
  if (handle_ != kClosed) ::close(static_cast<int>(handle_));
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (handle_ != kClosed) ::close(static_cast<int>(handle_));
    handle_ = other.handle_;
    other.handle_ = kClosed;
  }
  return *this;
}

bool InputFile::Open(const std::string& path, std::string* reason) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *reason = Reason(errno);
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    *reason = Reason(EISDIR);
    return false;
  }
  if (handle_ != kClosed) ::close(static_cast<int>(handle_));
  handle_ = fd;
  return true;
}

int64_t InputFile::Size() const {
  struct stat info;
  if (handle_ == kClosed || fstat(static_cast<int>(handle_), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

std::ptrdiff_t InputFile::Read(char* data, size_t size) {
  for (;;) {
    ssize_t n = ::read(static_cast<int>(handle_), data, size);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

bool InputFile::Rewind() { return lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0; }

bool IsFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void SleepMs(int ms) {
  timespec pause{ms / 1000, static_cast<long>(ms % 1000) * 1000000};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
void WriteStdout(std::string_view text) { WriteAll(STDOUT_FILENO, text); }
void WriteStderr(std::string_view text) { WriteAll(STDERR_FILENO, text); }

}  // namespace os
