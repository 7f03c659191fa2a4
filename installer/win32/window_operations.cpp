#include "installer/win32/window_operations.h"

#include <windows.h>

#include <commctrl.h>

#include <climits>

#include "installer/control_names.h"
#include "installer/win32/main_window.h"
#include "installer/win32/message_loop.h"
#include "installer/win32/percent_label.h"
#include "installer/win32/transfer_win32.h"

namespace {

// Caret after the last character, nothing selected, scrolled into view. A start
// beyond the end is clamped to it (positions count characters, not bytes, in
// some systems' edit boxes, so no byte count is used).
void CaretToEnd(HWND edit) {
  SendMessageA(edit, EM_SETSEL, INT_MAX, INT_MAX);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

}  // namespace

void InstallerTransferWindow::SetPosition(int32_t value) {
  int32_t clamped = value < 0 ? 0 : value > 100 ? 100 : value;
  SendMessageA(Ui().progressBar, PBM_SETPOS, static_cast<WPARAM>(clamped), 0);
}

void InstallerTransferWindow::SetCaption(const std::string& control, const std::string& text) {
  HWND label = ControlByName(control);
  if (!label) return;
  if (label == Ui().percentLabel) {
    SetPercentCaption(Ui().progressBar, label, text.c_str());
  } else {
    SetWindowTextA(label, text.c_str());
  }
}

void InstallerTransferWindow::AppendLog(const std::string& text) {
  HWND log = Ui().logBox;
  if (!log) return;
  CaretToEnd(log);
  SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void InstallerTransferWindow::MoveLogCaretToEnd() {
  if (Ui().logBox) CaretToEnd(Ui().logBox);
}

void InstallerTransferWindow::ShowMessage(const std::string& text, const std::string& title) {
  if (!Ui().main) return;  // the window is gone: no orphan message
  MessageBoxA(Ui().main, text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

void InstallerTransferWindow::SetTransferButtonEnabled(bool enabled) {
  HWND button = Ui().transferButton;
  if (!button) return;
  // A disabled button loses the focus, and with no focus the keys (Esc, Tab)
  // would reach no control: the log box, which the transfer fills, takes it.
  if (!enabled && GetFocus() == button) SetFocus(Ui().logBox);
  EnableWindow(button, enabled);
}

bool InstallerTransferWindow::ProcessPendingEvents() { return ::ProcessPendingEvents(); }

void StartTransfer() {
  InstallerTransferWindow window;
  // Both texts are read now: changing the boxes during the transfer changes nothing.
  RunTransfer(window, WindowText(Ui().addressBox), WindowText(Ui().fileBox));
  // The window may be gone now (closed during the transfer); touch nothing here.
}
