// How much processor time the installer's side of a transfer takes while the
// sender is mostly waiting: a stand-in sender writes a progress line every
// 250 ms for 20 s, and this program runs the transfer into a hidden window with
// real controls, then reports its own process's CPU time (user + kernel).
//
//   transfer-cpu-bench [--busy] [SECONDS]
//
// --busy polls without pausing, as a loop without a wait between passes would,
// for comparison. fake-sender.exe must lie beside this program.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "installer/transfer.h"
#include "installer/win32/sender_process_win32.h"

namespace {

class ControlsWindow : public TransferWindow {
 public:
  explicit ControlsWindow(HWND main) : main_(main) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    log_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL, 8, 56,
                           472, 256, main, nullptr, instance, nullptr);
    SendMessageA(log_, EM_SETLIMITTEXT, 0, 0);
    bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 8, 320, 288, 24, main, nullptr, instance, nullptr);
    label_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 312, 320, 80, 24, main, nullptr, instance, nullptr);
  }
  void SetPosition(int32_t value) override { SendMessageA(bar_, PBM_SETPOS, value, 0); }
  void SetCaption(const std::string&, const std::string& text) override { SetWindowTextA(label_, text.c_str()); }
  void AppendLog(const std::string& text) override {
    MoveLogCaretToEnd();
    SendMessageA(log_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void MoveLogCaretToEnd() override {
    int length = GetWindowTextLengthA(log_);
    SendMessageA(log_, EM_SETSEL, length, length);
    SendMessageA(log_, EM_SCROLLCARET, 0, 0);
  }
  void ShowMessage(const std::string& text, const std::string&) override { std::printf("message: %s\n", text.c_str()); }
  void SetTransferButtonEnabled(bool) override {}
  bool ProcessPendingEvents() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (msg.message == WM_QUIT) return false;
      PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return IsWindow(main_) != FALSE;
  }
  int LogLength() const { return GetWindowTextLengthA(log_); }

 private:
  HWND main_, log_, bar_, label_;
};

// The same channel, but never resting between passes.
class BusyChannel : public Win32SenderChannel {
 public:
  using Win32SenderChannel::Win32SenderChannel;
  void WaitForActivity(uint32_t) override {}
};

double FileTimeMs(const FILETIME& t) {
  ULARGE_INTEGER v;
  v.LowPart = t.dwLowDateTime;
  v.HighPart = t.dwHighDateTime;
  return static_cast<double>(v.QuadPart) / 10000.0;
}

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return FileTimeMs(kernel) + FileTimeMs(user);
}

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of('\\'));
}

}  // namespace

int main(int argc, char** argv) {
  bool busy = false;
  int seconds = 20;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--busy") == 0) busy = true;
    else seconds = std::atoi(argv[i]);
  }
  const int lines = seconds * 4;

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + "transfer-cpu-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  if (!CopyFileA((OwnFolder() + "\\fake-sender.exe").c_str(), (dir + "\\sockfilego.exe").c_str(), FALSE)) {
    std::fprintf(stderr, "fake-sender.exe not found beside this program\n");
    return 1;
  }
  std::string script = "progress " + std::to_string(lines) + " 250\n";
  FILE* f = std::fopen((dir + "\\sockfilego.script").c_str(), "wb");
  std::fwrite(script.data(), 1, script.size(), f);
  std::fclose(f);

  InitCommonControls();
  HWND main = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 494, 379, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ControlsWindow window(main);
  TransferRecords records;
  Win32SenderChannel calm(records, dir);
  BusyChannel busyChannel(records, dir);
  SenderChannel& channel = busy ? static_cast<SenderChannel&>(busyChannel) : calm;

  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  double cpuBefore = ProcessCpuMs();
  QueryPerformanceCounter(&begin);
  DriveTransfer(window, channel, "192.168.1.5", "a.cia");
  QueryPerformanceCounter(&end);
  double cpuMs = ProcessCpuMs() - cpuBefore;
  double wallMs = static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart;

  std::printf("%s loop: %d progress lines, %d log bytes, %.1f s, installer CPU %.0f ms = %.2f %% of one core\n",
              busy ? "busy" : "waiting", lines, window.LogLength(), wallMs / 1000.0, cpuMs, 100.0 * cpuMs / wallMs);
  DeleteFileA((dir + "\\sockfilego.exe").c_str());
  DeleteFileA((dir + "\\sockfilego.script").c_str());
  RemoveDirectoryA(dir.c_str());
  DestroyWindow(main);
  return 0;
}
