// The main window: its class, creation and window procedure, one small handler
// per message.
#include "installer/win32/main_window.h"

#include <commctrl.h>

#include "installer/control_names.h"
#include "installer/win32/message_loop.h"
#include "installer/win32/percent_label.h"
#include "installer/win32/window_layout.h"

namespace {

constexpr char kClassName[] = "KestrunWirelessInstaller";
constexpr int kAppIconId = 1;

InstallerUi g_ui;
HWND g_focusBeforeDeactivation = nullptr;

void OnCommand(HWND, int id, int notifyCode) {
  if (notifyCode != BN_CLICKED) return;
  if (id == layout::kChooseButtonId) ChooseCiaFile();
  if (id == layout::kTransferButtonId) StartTransfer();
}

HBRUSH OnCtlColorStatic(HDC dc, HWND control) {
  if (control == g_ui.percentLabel) return PercentLabelColors(dc);
  if (control == g_ui.logBox) {  // read-only, but black on white like the other boxes
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH OnCtlColorEdit(HDC dc) {
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

// The focus returns to the control that had it; the address box at first.
void OnActivate(HWND main, WORD state) {
  if (state == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(main, focus)) g_focusBeforeDeactivation = focus;
    return;
  }
  HWND target = g_focusBeforeDeactivation && IsWindowEnabled(g_focusBeforeDeactivation) ? g_focusBeforeDeactivation
                                                                                          : g_ui.addressBox;
  SetFocus(target);
}

void OnDestroy(HWND main) {
  RevokeDragDrop(main);
  g_ui = InstallerUi{};
  g_focusBeforeDeactivation = nullptr;
  PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_CTLCOLOREDIT:
      return reinterpret_cast<LRESULT>(OnCtlColorEdit(reinterpret_cast<HDC>(wParam)));
    case WM_ACTIVATE:
      OnActivate(window, LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kAppIconId));
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kAppIconId), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

InstallerUi& Ui() { return g_ui; }

HWND ControlByName(const std::string& name) {
  if (name == control::kLogBox) return g_ui.logBox;
  if (name == control::kAddressBox) return g_ui.addressBox;
  if (name == control::kFileBox) return g_ui.fileBox;
  if (name == control::kTransferButton) return g_ui.transferButton;
  if (name == control::kChooseButton) return g_ui.chooseButton;
  if (name == control::kProgressBar) return g_ui.progressBar;
  if (name == control::kSpeedLabel) return g_ui.speedLabel;
  if (name == control::kTimeLabel) return g_ui.timeLabel;
  if (name == control::kPercentLabel) return g_ui.percentLabel;
  return nullptr;
}

bool CreateMainWindow(HINSTANCE instance) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  if (!RegisterMainClass(instance)) return false;
  // A fixed frame with a minimize box and no maximize box.
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  POINT origin = layout::CenteredOrigin(layout::kWindowWidth, layout::kWindowHeight);
  HWND main = CreateWindowExA(0, kClassName, layout::kCaption, kStyle, origin.x, origin.y, layout::kWindowWidth,
                              layout::kWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!main) return false;
  g_ui.main = main;
  SendMessageA(main, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (!CreateControls(main)) {
    DestroyWindow(main);
    return false;
  }
  return true;
}

bool LoadMainWindow(HINSTANCE instance) {
  if (!CreateMainWindow(instance)) return false;
  if (!CheckSenderTool()) {  // runs before the window is on the screen
    DestroyWindow(g_ui.main);
    return false;
  }
  ShowWindow(g_ui.main, SW_SHOWNORMAL);
  UpdateWindow(g_ui.main);
  return true;
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}
