// wireless-installer: start-up and end of the program.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "installer/win32/main_window.h"
#include "installer/win32/message_loop.h"
#include "installer/win32/transfer_win32.h"

namespace {

// The folder that holds the program, without a trailing backslash.
std::string ProgramFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of('\\'));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The sender is looked for beside the program, wherever it was started from.
  // A drive root needs its backslash to name the root folder.
  std::string folder = ProgramFolder();
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  SetCurrentDirectoryA(folder.c_str());
  OleInitialize(nullptr);  // for the drop target

  InitTransferRecords();
  std::atexit(FreeTransferRecords);

  if (!LoadMainWindow(instance)) return 0;  // no sender: warned, ends without a window
  int exitCode = RunMessageLoop();
  OleUninitialize();
  return exitCode;
}
