// The few system services the sender needs besides sockets: reading files,
// a clock, and its standard output. One implementation per system
// (os_posix.cpp, os_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace os {

// A file opened for reading; closed when it goes.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(InputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kClosed; }
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // false and a short English reason (e.g. "no such file") when it can't be opened.
  bool Open(const std::string& path, std::string* reason);
  // The size in bytes, or -1.
  int64_t Size() const;
  // Reads up to size bytes: the number read, 0 at the end, -1 on an error.
  std::ptrdiff_t Read(char* data, size_t size);
  bool Rewind();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

// Whether path names an existing file (not a folder).
bool IsFile(const std::string& path);

// Milliseconds on a clock that never goes back.
int64_t NowMs();
void SleepMs(int ms);

// Whether standard output is a terminal (a console window) rather than a pipe or file.
bool StdoutIsTerminal();
// Each call is one write of the whole text to standard output / error, unbuffered.
void WriteStdout(std::string_view text);
void WriteStderr(std::string_view text);

}  // namespace os
