// What the sender makes of its command line: `sockfilego ADDRESS FILE [FILE...]`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr uint16_t kConsolePort = 5000;

struct ConsoleAddress {
  std::string host;
  uint16_t port = kConsolePort;
};

// "HOST" or "HOST:PORT". false and a reason when the text can't be an address.
bool ParseConsoleAddress(std::string_view text, ConsoleAddress* address, std::string* problem);

// The installer passes the file's path unquoted, so a path with spaces arrives
// split into several arguments. An argument that names no file is joined with the
// ones after it (by single spaces) when that makes the name of an existing file;
// otherwise it stays as it is, to be reported as missing.
std::vector<std::string> JoinSplitPaths(const std::vector<std::string>& arguments,
                                        const std::function<bool(const std::string&)>& isFile);

// The file's name as the sender's messages show it: the last part of the path, or
// a placeholder when the name holds text the installer would take for progress or
// a result.
std::string DisplayName(std::string_view path);

// A CIA begins with its header size 0x2020 and a ticket with 0x0100, both 16-bit
// little-endian; the console refuses anything else.
bool HasInstallableHeader(std::string_view firstBytes);
