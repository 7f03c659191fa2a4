#include "installer/win32/message_loop.h"

#include "installer/win32/main_window.h"

namespace {

bool IsOurWindow(HWND window) {
  HWND main = Ui().main;
  return main && window && (window == main || IsChild(main, window));
}

void MoveFocus(bool backwards) {
  HWND main = Ui().main;
  HWND next = GetNextDlgTabItem(main, GetFocus(), backwards);
  if (!next) return;
  SetFocus(next);
  // As in a dialog: tabbing into an edit box selects its text.
  char className[16] = {};
  GetClassNameA(next, className, sizeof className);
  if (lstrcmpiA(className, "Edit") == 0) SendMessageA(next, EM_SETSEL, 0, -1);
}

}  // namespace

// With no control focused, keys reach the active window as system keys; Esc
// must close the window then too (Alt is not held: bit 29 of lParam is clear).
bool IsKeyPress(const MSG& msg) {
  return msg.message == WM_KEYDOWN ||
         (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_ESCAPE && !(msg.lParam & (1 << 29)));
}

bool HandleWindowKey(const MSG& msg) {
  if (!IsKeyPress(msg) || !IsOurWindow(msg.hwnd)) return false;
  switch (msg.wParam) {
    case VK_ESCAPE:
      SendMessageA(Ui().main, WM_CLOSE, 0, 0);
      return true;
    case VK_TAB:
      MoveFocus(GetKeyState(VK_SHIFT) < 0);
      return true;
    case VK_RETURN:
      return true;
    default:
      return false;
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (HandleWindowKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool ProcessPendingEvents() {
  MSG msg;
  while (IsWindow(Ui().main) && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the message loop
      return false;
    }
    if (HandleWindowKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return IsWindow(Ui().main) != FALSE;
}
