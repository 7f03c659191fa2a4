#include "installer/win32/percent_label.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR kSubclassId = 1;

// Part of the bar under the label, in the bar's client coordinates.
RECT AreaUnderLabel(HWND bar, HWND label) {
  RECT r;
  GetWindowRect(label, &r);
  MapWindowPoints(HWND_DESKTOP, bar, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  HWND label = reinterpret_cast<HWND>(refData);
  switch (message) {
    case WM_PAINT: {
      // Repaint the whole area under the label, then the label's text over it,
      // so the text never shows twice or half.
      RECT under = AreaUnderLabel(bar, label);
      InvalidateRect(bar, &under, TRUE);
      LRESULT result = DefSubclassProc(bar, message, wParam, lParam);
      RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(bar, BarProc, kSubclassId);
      break;
  }
  return DefSubclassProc(bar, message, wParam, lParam);
}

}  // namespace

void KeepPercentLabelReadable(HWND bar, HWND label) {
  SetWindowSubclass(bar, BarProc, kSubclassId, reinterpret_cast<DWORD_PTR>(label));
}

void SetPercentCaption(HWND bar, HWND label, const char* text) {
  SetWindowTextA(label, text);
  RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

HBRUSH PercentLabelColors(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}
