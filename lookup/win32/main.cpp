// title-lookup: finds a game in the release list beside the program by its
// four-character product code.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "lookup/release_list.h"
#include "lookup/win32/lookup_window.h"

namespace {

// The release list is named by a bare name, so it must be found beside the
// program whatever folder it was started from.
// The path is taken in UTF-16: in code page 936 a backslash byte can be the
// second byte of a character.
void MoveToProgramFolder() {
  static wchar_t path[32768];
  DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  std::wstring folder(path, length);
  size_t slash = folder.find_last_of(L"\\/");
  if (slash != std::wstring::npos) SetCurrentDirectoryW(folder.substr(0, slash + 1).c_str());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  MoveToProgramFolder();
  InitReleaseList();
  std::atexit(FreeReleaseList);
  if (!CreateLookupWindow(instance)) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (HandleLookupWindowKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
