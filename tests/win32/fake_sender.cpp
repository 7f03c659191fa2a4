// fake-sender: a stand-in for the sender in tests. It writes scripted output to
// its standard output and standard error, with pauses, and exits with a code.
// Copy it beside a program as sockfilego.exe to drive that program's transfers.
//
// The script is the file named by the environment variable FAKE_SENDER_SCRIPT,
// or else the file beside the executable with the extension ".script" in place
// of ".exe" (sockfilego.exe reads sockfilego.script). Without a script it runs
// "args". One command per line; empty lines and lines starting with '#' are
// skipped; a CR before the line end is ignored:
//
//   out TEXT          write TEXT to standard output, in one write
//   err TEXT          write TEXT to standard error, in one write
//   sleep MS          pause MS milliseconds ("sleep forever": never go on)
//   progress N MS     N times: pause MS, then write a progress line
//                     "Sending P % S KB/s 0hMmSs", no line end (P runs up to 100)
//   args              write "argv[I]=ARG\n" for each argument I = 1, 2, ...
//   pid PATH          write the process id, in decimal, to the file PATH
//   wait PATH         pause until the file PATH exists
//   exit CODE         end now with CODE; the end of the script exits with 0
//
// TEXT is taken byte for byte (GBK in our tests) after one space, with the
// escapes \r \n \t \\ and \xHH (two hex digits, any byte).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string ReadWholeFile(const std::string& path, bool* found) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  *found = f != nullptr;
  if (!f) return bytes;
  char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
  std::fclose(f);
  return bytes;
}

std::string FindScript() {
  bool found = false;
  char variable[MAX_PATH * 2] = {};
  DWORD length = GetEnvironmentVariableA("FAKE_SENDER_SCRIPT", variable, sizeof variable);
  if (length > 0 && length < sizeof variable) {
    std::string script = ReadWholeFile(variable, &found);
    if (found) return script;
  }
  char exe[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string path = exe;
  size_t dot = path.rfind('.');
  if (dot != std::string::npos) path.erase(dot);
  std::string script = ReadWholeFile(path + ".script", &found);
  return found ? script : "args\n";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
      continue;
    }
    char c = text[++i];
    if (c == 'r') bytes += '\r';
    else if (c == 'n') bytes += '\n';
    else if (c == 't') bytes += '\t';
    else if (c == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      bytes += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else bytes += c;
  }
  return bytes;
}

void WriteAll(DWORD which, const std::string& bytes) {
  HANDLE out = GetStdHandle(which);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr)) return;
    done += written;
  }
}

std::string ProgressLine(int index, int count) {
  int percent = count > 0 ? (index + 1) * 100 / count : 100;
  if (percent < 1) percent = 1;
  int seconds = index / 4;
  char line[96];
  std::snprintf(line, sizeof line, "Sending %d %% %d KB/s 0h%dm%ds", percent, 500 + index % 50, seconds / 60,
                seconds % 60);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  std::string script = FindScript();
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t space = line.find(' ');
    std::string command = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);

    if (command == "out") {
      WriteAll(STD_OUTPUT_HANDLE, Unescape(rest));
    } else if (command == "err") {
      WriteAll(STD_ERROR_HANDLE, Unescape(rest));
    } else if (command == "sleep") {
      Sleep(rest == "forever" ? INFINITE : static_cast<DWORD>(std::strtoul(rest.c_str(), nullptr, 10)));
    } else if (command == "progress") {
      char* after = nullptr;
      int count = static_cast<int>(std::strtol(rest.c_str(), &after, 10));
      DWORD interval = static_cast<DWORD>(std::strtoul(after, nullptr, 10));
      for (int i = 0; i < count; ++i) {
        Sleep(interval);
        WriteAll(STD_OUTPUT_HANDLE, ProgressLine(i, count));
      }
    } else if (command == "args") {
      std::string text;
      for (int i = 1; i < argc; ++i) text += "argv[" + std::to_string(i) + "]=" + argv[i] + "\n";
      WriteAll(STD_OUTPUT_HANDLE, text);
    } else if (command == "pid") {
      FILE* f = std::fopen(rest.c_str(), "wb");
      if (f) {
        std::fprintf(f, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
        std::fclose(f);
      }
    } else if (command == "wait") {
      while (GetFileAttributesA(rest.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(10);
    } else if (command == "exit") {
      return static_cast<int>(std::strtoul(rest.c_str(), nullptr, 10));
    } else {
      WriteAll(STD_ERROR_HANDLE, "fake-sender: unknown command " + command + "\n");
      return 2;
    }
  }
  return 0;
}
