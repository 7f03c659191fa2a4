#include "tests/win32/console_sim_process.h"

#include "tests/win32/gui_driver.h"

namespace gui {

namespace {
constexpr DWORD kStartMs = 20000;

// Reads the first line the simulator prints ("listening on PORT") within ms.
std::string ReadFirstLine(HANDLE pipe, DWORD ms) {
  std::string line;
  DWORD begin = GetTickCount();
  while (line.find('\n') == std::string::npos && GetTickCount() - begin < ms) {
    DWORD waiting = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) break;  // it ended
    if (waiting == 0) {
      Sleep(10);
      continue;
    }
    char c;
    DWORD got = 0;
    if (!ReadFile(pipe, &c, 1, &got, nullptr) || got == 0) break;
    line += c;
  }
  return line;
}
}  // namespace

ConsoleSimProcess::ConsoleSimProcess(const std::string& mode, const std::string& outDir, int sessions) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  std::string exe = ProgramDir() + "\\console-sim.exe";
  std::string commandLine = "\"" + exe + "\" --port 0 --mode " + mode + " --sessions " + std::to_string(sessions);
  if (!outDir.empty()) commandLine += " --out \"" + outDir + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
  }
  CloseHandle(writeEnd);
  if (process_) {
    std::string line = ReadFirstLine(readEnd, kStartMs);
    if (line.rfind("listening on ", 0) == 0) port_ = atoi(line.c_str() + 13);
  }
  // Nothing else comes on standard output; its log goes to our standard error.
  CloseHandle(readEnd);
}

ConsoleSimProcess::~ConsoleSimProcess() {
  Kill();
  if (process_) CloseHandle(process_);
}

bool ConsoleSimProcess::WaitForExit(DWORD ms, DWORD* exitCode) {
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_, exitCode);
  return true;
}

void ConsoleSimProcess::Kill() {
  if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
}

}  // namespace gui
