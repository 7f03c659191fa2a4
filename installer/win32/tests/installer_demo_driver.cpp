// installer-demo-driver: runs one transfer in wireless-installer.exe as a user
// would, for the screenshot script and the CPU benchmark (not a test).
//
//   installer-demo-driver FOLDER ADDRESS CIA hold:PERCENT
//     starts FOLDER\wireless-installer.exe, sends CIA to ADDRESS, and once the
//     percent label shows PERCENT or more prints "ready LEFT TOP WIDTH HEIGHT"
//     (the window's place on the screen); when the file FOLDER\release appears
//     it closes the window and ends.
//   installer-demo-driver FOLDER ADDRESS CIA measure
//     sends CIA to ADDRESS, waits for the result message and prints the wall
//     time of the transfer and the CPU time the installer used meanwhile.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "installer/win32/window_layout.h"
#include "tests/win32/gui_driver.h"

namespace {

double CpuSeconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
  auto seconds = [](FILETIME t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

int Fail(const char* what) {
  std::fprintf(stderr, "installer-demo-driver: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Fail("usage: installer-demo-driver FOLDER ADDRESS CIA hold:PERCENT|measure");
  std::string folder = argv[1];
  std::string mode = argv[4];
  gui::Program installer(folder + "\\wireless-installer.exe", "", folder);
  HWND main = installer.WaitForWindow(nullptr, layout::kCaption, 20000);
  if (!main) return Fail("the installer window did not appear");

  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(GetDlgItem(main, layout::kAddressBoxId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
  SendMessageTimeoutA(GetDlgItem(main, layout::kFileBoxId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
  gui::Settle(main);
  double cpuBefore = CpuSeconds(installer.process());
  DWORD begin = GetTickCount();
  gui::PushButton(GetDlgItem(main, layout::kTransferButtonId));

  if (mode.rfind("hold:", 0) == 0) {
    int wanted = std::atoi(mode.c_str() + 5);
    HWND percent = GetDlgItem(main, layout::kPercentLabelId);
    if (!gui::WaitUntil([&] { return std::atoi(gui::Text(percent).c_str()) >= wanted; }, 120000)) {
      return Fail("the transfer did not get that far");
    }
    RECT r;
    GetWindowRect(main, &r);
    std::printf("ready %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
    std::string release = folder + "\\release";
    while (GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(50);
  } else if (mode == "measure") {
    HWND box = installer.WaitForMessageBox(600000);
    if (!box) return Fail("no result message");
    double seconds = (GetTickCount() - begin) / 1000.0;
    double cpu = CpuSeconds(installer.process()) - cpuBefore;
    std::printf("transfer %.1f s, installer CPU %.3f s = %.2f %% of one core\n", seconds, cpu,
                100.0 * cpu / seconds);
    std::printf("result: %s\n", gui::MessageBoxText(box).c_str());
    gui::PressOk(box);
  } else {
    return Fail("unknown mode");
  }
  PostMessageA(main, WM_CLOSE, 0, 0);
  installer.WaitForExit(10000);
  return 0;
}
