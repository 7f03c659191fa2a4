#include "sender/arguments.h"

#include "installer/sender_output.h"

bool ParseConsoleAddress(std::string_view text, ConsoleAddress* address, std::string* problem) {
  std::string_view host = text;
  address->port = kConsolePort;
  size_t colon = text.find(':');
  if (colon != std::string_view::npos) {
    host = text.substr(0, colon);
    std::string_view port = text.substr(colon + 1);
    uint32_t value = 0;
    bool digits = !port.empty() && port.size() <= 5;
    for (char c : port) {
      if (c < '0' || c > '9') digits = false;
      else value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (!digits || value == 0 || value > 65535) {
      *problem = "the port \"" + std::string(port) + "\" is not a number from 1 to 65535";
      return false;
    }
    address->port = static_cast<uint16_t>(value);
  }
  if (host.empty()) {
    *problem = "the address is empty";
    return false;
  }
  address->host = std::string(host);
  return true;
}

std::vector<std::string> JoinSplitPaths(const std::vector<std::string>& arguments,
                                        const std::function<bool(const std::string&)>& isFile) {
  std::vector<std::string> paths;
  size_t i = 0;
  while (i < arguments.size()) {
    size_t last = i;  // the last argument the path takes
    if (!isFile(arguments[i])) {
      std::string joined = arguments[i];
      for (size_t j = i + 1; j < arguments.size(); ++j) {
        joined += ' ';
        joined += arguments[j];
        if (isFile(joined)) {
          last = j;
          break;
        }
      }
    }
    std::string path = arguments[i];
    for (size_t j = i + 1; j <= last; ++j) path += ' ' + arguments[j];
    paths.push_back(path);
    i = last + 1;
  }
  return paths;
}

#ifdef _WIN32
constexpr bool kDoubleByteNames = true;
#else
constexpr bool kDoubleByteNames = false;
#endif

std::string DisplayName(std::string_view path) {
  // Windows passes paths in GBK, whose trail bytes may equal '\\' (0x5C), so walk
  // them character by character. UTF-8 (elsewhere) needs no such care.
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (kDoubleByteNames && c >= 0x81 && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '/' || c == '\\') start = i + 1;
  }
  std::string name(path.substr(start));
  // The installer reads these anywhere in a message: a name must not carry them.
  for (const char* marker : {"KB/s", sender_text::kTransferFailedPhrase, sender_text::kConnectionFailedPhrase,
                             sender_text::kInstalledPhrase}) {
    if (name.find(marker) != std::string::npos) return "(a file whose name is not shown)";
  }
  return name;
}

bool HasInstallableHeader(std::string_view firstBytes) {
  if (firstBytes.size() < 2) return false;
  unsigned value = static_cast<unsigned char>(firstBytes[0]) | static_cast<unsigned char>(firstBytes[1]) << 8u;
  return value == 0x2020 || value == 0x0100;
}
