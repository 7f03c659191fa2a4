#include "installer/win32/window_layout.h"

#include <commctrl.h>

#include "installer/win32/main_window.h"
#include "installer/win32/percent_label.h"

namespace layout {
POINT CenteredOrigin(int width, int height) {
  return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}
}  // namespace layout

namespace {

struct ControlPlace {
  HWND InstallerUi::*slot;
  const char* className;
  const char* text;
  DWORD style;
  DWORD exStyle;
  int id, x, y, width, height;
};

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
constexpr DWORD kLogStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE |
                            ES_AUTOVSCROLL | ES_WANTRETURN | ES_READONLY;
constexpr DWORD kFramedLabelStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kPercentStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;

// In tab order. The progress bar has no WS_CLIPSIBLINGS: it paints under the
// percent label, which then draws its text over it.
const ControlPlace kControls[] = {
    {&InstallerUi::addressBox, "EDIT", layout::kAddressPrompt, kEditStyle, WS_EX_STATICEDGE,
     layout::kAddressBoxId, 8, 16, 88, 32},
    {&InstallerUi::fileBox, "EDIT", layout::kFilePrompt, kEditStyle, WS_EX_STATICEDGE, layout::kFileBoxId, 104, 16,
     248, 32},
    {&InstallerUi::chooseButton, "BUTTON", layout::kChooseCaption, kButtonStyle, 0, layout::kChooseButtonId, 360,
     16, 56, 32},
    {&InstallerUi::transferButton, "BUTTON", layout::kTransferCaption, kButtonStyle, 0, layout::kTransferButtonId,
     424, 16, 56, 32},
    {&InstallerUi::logBox, "EDIT", layout::kCredits, kLogStyle, WS_EX_STATICEDGE, layout::kLogBoxId, 8, 56, 472,
     256},
    {&InstallerUi::progressBar, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, WS_EX_STATICEDGE,
     layout::kProgressBarId, 8, 320, 288, 24},
    {&InstallerUi::percentLabel, "STATIC", "0 %", kPercentStyle, 0, layout::kPercentLabelId, 144, 320, 48, 24},
    {&InstallerUi::speedLabel, "STATIC", "0 KB/s", kFramedLabelStyle, 0, layout::kSpeedLabelId, 312, 320, 80, 24},
    {&InstallerUi::timeLabel, "STATIC", "0h0m0s", kFramedLabelStyle, 0, layout::kTimeLabelId, 400, 320, 80, 24},
};

}  // namespace

bool CreateControls(HWND main) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(main, GWLP_HINSTANCE));
  HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  InstallerUi& ui = Ui();
  for (const ControlPlace& place : kControls) {
    HWND control = CreateWindowExA(place.exStyle, place.className, place.text, place.style, place.x, place.y,
                                   place.width, place.height, main, reinterpret_cast<HMENU>(INT_PTR{place.id}),
                                   instance, nullptr);
    if (!control) return false;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ui.*place.slot = control;
  }
  // The edit boxes take any length (their default limit would cut a long log).
  for (HWND edit : {ui.addressBox, ui.fileBox, ui.logBox}) SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  SendMessageA(ui.progressBar, PBM_SETRANGE32, 0, 100);
  SendMessageA(ui.progressBar, PBM_SETPOS, 0, 0);
  // New children go to the bottom of the stacking order; the label lies on top.
  SetWindowPos(ui.percentLabel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  KeepPercentLabelReadable(ui.progressBar, ui.percentLabel);
  WatchAddressBoxPresses(ui.addressBox);
  return true;
}
