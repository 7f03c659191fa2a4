// Windows implementation of os.h (ANSI paths, code page of the system).
#include "sender/os.h"

#include <windows.h>

namespace os {

namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::string Reason(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return "no such file";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_SHARING_VIOLATION: return "it is in use by another program";
    default: return "system error " + std::to_string(code);
  }
}

void WriteAll(DWORD which, std::string_view text) {
  HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  while (!text.empty()) {
    DWORD written = 0;
    DWORD size = text.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(text.size());
    if (!WriteFile(out, text.data(), size, &written, nullptr) || written == 0) return;
    text.remove_prefix(written);
  }
}

}  // namespace

InputFile::~InputFile() {
  if (handle_ != kClosed) CloseHandle(Handle(handle_));
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (handle_ != kClosed) CloseHandle(Handle(handle_));
    handle_ = other.handle_;
    other.handle_ = kClosed;
  }
  return *this;
}

bool InputFile::Open(const std::string& path, std::string* reason) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    *reason = "it is a folder";
    return false;
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = Reason(GetLastError());
    return false;
  }
  if (handle_ != kClosed) CloseHandle(Handle(handle_));
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

int64_t InputFile::Size() const {
  LARGE_INTEGER size;
  if (handle_ == kClosed || !GetFileSizeEx(Handle(handle_), &size)) return -1;
  return size.QuadPart;
}

std::ptrdiff_t InputFile::Read(char* data, size_t size) {
  DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(Handle(handle_), data, wanted, &got, nullptr)) return -1;
  return static_cast<std::ptrdiff_t>(got);
}

bool InputFile::Rewind() {
  LARGE_INTEGER start{};
  return SetFilePointerEx(Handle(handle_), start, nullptr, FILE_BEGIN) != 0;
}

bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t NowMs() { return static_cast<int64_t>(GetTickCount64()); }
void SleepMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

bool StdoutIsTerminal() { return GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR; }
void WriteStdout(std::string_view text) { WriteAll(STD_OUTPUT_HANDLE, text); }
void WriteStderr(std::string_view text) { WriteAll(STD_ERROR_HANDLE, text); }

}  // namespace os
