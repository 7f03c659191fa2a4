// wireless-installer: start-up and end of the program.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "installer/win32/main_window.h"
#include "installer/win32/message_loop.h"
#include "installer/win32/transfer_win32.h"

namespace {

// The folder that holds the program. Wide characters: a folder name may hold
// characters the ANSI code page lacks, or two-byte ones ending in a backslash byte.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Keep the backslash after a drive letter: "C:" alone is not the root.
  size_t slash = path.find_last_of(L'\\');
  return path.substr(0, slash == 2 ? 3 : slash);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The sender is looked for beside the program, wherever it was started from.
  SetCurrentDirectoryW(ProgramFolder().c_str());
  OleInitialize(nullptr);  // for the drop target

  InitTransferRecords();
  std::atexit(FreeTransferRecords);

  if (!LoadMainWindow(instance)) return 0;  // no sender: warned, ends without a window
  int exitCode = RunMessageLoop();
  OleUninitialize();
  return exitCode;
}
