// The address box empties itself on every left press, before the press takes
// its ordinary course (focus, caret where the user clicked).
#include <windows.h>

#include <commctrl.h>

#include "installer/win32/main_window.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK AddressBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // the second press of a double click
      ClearAddressBox();
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(box, AddressBoxProc, kSubclassId);
      break;
  }
  return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace

void ClearAddressBox() { SetWindowTextA(Ui().addressBox, ""); }

void WatchAddressBoxPresses(HWND addressBox) {
  SetWindowSubclass(addressBox, AddressBoxProc, kSubclassId, 0);
}
