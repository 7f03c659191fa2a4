#include "lookup/win32/lookup_window.h"

#include <string>

#include "lookup/product_lookup.h"
#include "lookup/release_list.h"
#include "lookup/win32/release_file_win32.h"

namespace {

constexpr char kWindowClass[] = "KestrunTitleLookup";
constexpr char kCaption[] = "Kestrun3DS名称查询 v1.0";
constexpr char kCaptionLabelText[] = "Product Code:";
constexpr char kHintLabelText[] = "从 DevMenu 查看 Product Code";
constexpr char kCreditText[] = "作者:Vandrel\r\n\r\n编译日期:2016.2.23";
constexpr int kWindowWidth = 380;  // outer size, frame and title bar included
constexpr int kWindowHeight = 164;
constexpr int kCodeLimitBytes = 4;  // bytes of the ANSI code page, not characters
constexpr COLORREF kBlue = RGB(0, 136, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

enum ControlId { kCaptionLabelId = 101, kCodeBoxId, kHintLabelId, kResultBoxId };

struct LookupWindow {
  HWND main = nullptr;
  HWND captionLabel = nullptr;  // 标签1
  HWND codeBox = nullptr;       // 编辑框1
  HWND hintLabel = nullptr;     // 标签2
  HWND resultBox = nullptr;     // 编辑框2
  HFONT boxFont = nullptr;
  WNDPROC codeBoxDefault = nullptr;
  HWND lastFocus = nullptr;  // given back when the window is activated again
};
LookupWindow ui;

// While the code box handles one edit that may go past its limit, the lookups
// its text changes would start are held back, so an edit that is taken back
// runs none.
struct HeldLookup {
  bool holding = false;
  bool wanted = false;
};
HeldLookup held;

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  length = GetWindowTextA(window, &text[0], length + 1);
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

// Puts the caret at the end of the box's text, scrolls to it and inserts text
// there without an undo step.
void AppendText(HWND box, const std::string& text) {
  int end = GetWindowTextLengthA(box);
  SendMessageA(box, EM_SETSEL, end, end);
  SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(box, EM_SCROLLCARET, 0, 0);
}

// Handler of the code box's text-changed event.
void LookupProductCode() {
  SetWindowTextA(ui.resultBox, "");
  LookupResult result = ::LookupProductCode(ReleaseRecords(), WindowText(ui.codeBox));
  if (result.outcome == LookupResult::kFound) AppendText(ui.resultBox, result.text);
  if (result.outcome == LookupResult::kNotFound) SetWindowTextA(ui.resultBox, result.text.c_str());
}

// Sets the code box's text without the lookup its change would start.
void SetCodeBoxQuietly(const char* text) {
  held.holding = true;
  SetWindowTextA(ui.codeBox, text);
  held = HeldLookup{};
}

// Handler of a left press in the code box, run before the box takes the press.
// Setting the text is a change of the code, so the lookup runs once.
void ClearCodeBox() {
  SetCodeBoxQuietly("");
  LookupProductCode();
}

// Lets the code box handle one edit, and takes it back when the text would
// then be longer than the limit in bytes. The box's own limit counts characters
// on some systems, so the bytes are counted here.
bool EditWithinLimit(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  std::string before = WindowText(box);
  DWORD selStart = 0, selEnd = 0;
  SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
  held = HeldLookup{true, false};
  CallWindowProcA(ui.codeBoxDefault, box, message, wParam, lParam);
  bool changed = held.wanted;
  held = HeldLookup{};
  if (TextLength(WindowText(box)) > kCodeLimitBytes) {
    SetCodeBoxQuietly(before.c_str());
    SendMessageA(box, EM_SETSEL, selStart, selEnd);
    return false;
  }
  if (changed) LookupProductCode();
  return true;
}

// Pastes the first line of the clipboard's text, as much of it as fits in
// whole characters.
void PasteWithinLimit(HWND box) {
  std::string text;
  if (OpenClipboard(box)) {
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
        text = bytes;
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
  }
  text = text.substr(0, text.find_first_of("\r\n"));
  // Character starts within the first kCodeLimitBytes bytes, longest piece first.
  std::string pieces[kCodeLimitBytes];
  int count = 0;
  for (size_t i = 0; i < text.size() && count < kCodeLimitBytes;) {
    i += static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
    if (i > static_cast<size_t>(kCodeLimitBytes)) break;
    pieces[count++] = text.substr(0, i);
  }
  for (int n = count; n > 0; --n) {
    if (EditWithinLimit(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pieces[n - 1].c_str()))) return;
  }
  if (!text.empty()) MessageBeep(MB_OK);
}

LRESULT CALLBACK CodeBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      ClearCodeBox();
      break;  // then the press takes its course: focus, caret where clicked
    case WM_CHAR:
      if (wParam < 0x20) break;  // editing keys and shortcuts only shorten the text
      [[fallthrough]];
    case WM_IME_CHAR:
      if (!EditWithinLimit(box, message, wParam, lParam)) MessageBeep(MB_OK);
      return 0;
    case WM_PASTE:
      PasteWithinLimit(box);
      return 0;
  }
  return CallWindowProcA(ui.codeBoxDefault, box, message, wParam, lParam);
}

HWND CreateControl(DWORD exStyle, const char* className, const char* text, DWORD style, int left, int top,
                   int width, int height, int id, HFONT font) {
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_CLIPSIBLINGS | style, left, top, width,
                                 height, ui.main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void CreateControls() {
  HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  ui.boxFont = CreateFontA(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, nullptr);
  const DWORD labelStyle = SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX;
  ui.captionLabel = CreateControl(0, "STATIC", kCaptionLabelText, labelStyle, 8, 8, 88, 24, kCaptionLabelId, guiFont);
  ui.codeBox = CreateControl(WS_EX_STATICEDGE, "EDIT", "", WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL | ES_UPPERCASE,
                             88, 8, 64, 20, kCodeBoxId, ui.boxFont);
  ui.hintLabel = CreateControl(0, "STATIC", kHintLabelText, labelStyle, 176, 8, 184, 24, kHintLabelId, guiFont);
  ui.resultBox = CreateControl(WS_EX_STATICEDGE, "EDIT", kCreditText,
                               WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_READONLY, 8,
                               40, 360, 88, kResultBoxId, ui.boxFont);
  // The code box overlaps the end of the caption label and lies above it.
  SetWindowPos(ui.codeBox, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageA(ui.codeBox, EM_LIMITTEXT, kCodeLimitBytes, 0);
  SendMessageA(ui.resultBox, EM_LIMITTEXT, 0, 0);  // no limit
  ui.codeBoxDefault = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(ui.codeBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CodeBoxProc)));
  for (HWND control : {ui.captionLabel, ui.codeBox, ui.hintLabel, ui.resultBox}) ShowWindow(control, SW_SHOWNA);
}

LRESULT OnCreate(HWND window) {
  ui.main = window;
  CreateControls();
  LoadReleaseList(window);  // the created event: may warn and end the program here
  return 0;
}

LRESULT OnCommand(WPARAM wParam) {
  if (LOWORD(wParam) == kCodeBoxId && HIWORD(wParam) == EN_CHANGE) {
    if (held.holding) held.wanted = true;
    else LookupProductCode();
  }
  return 0;
}

// Labels: blue on the button face. The read-only result box asks here too.
LRESULT OnCtlColorStatic(HDC dc, HWND control) {
  if (control == ui.resultBox) {
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kWhite);
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }
  SetTextColor(dc, kBlue);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT OnCtlColorEdit(HDC dc, HWND control) {
  SetTextColor(dc, control == ui.codeBox ? kBlue : kBlack);
  SetBkColor(dc, kWhite);
  return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(ui.main, focus)) ui.lastFocus = focus;
  } else {
    SetFocus(ui.lastFocus ? ui.lastFocus : ui.codeBox);
  }
  return 0;
}

LRESULT OnDestroy() {
  if (ui.boxFont) DeleteObject(ui.boxFont);
  ui.boxFont = nullptr;
  PostQuitMessage(0);
  return 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_COMMAND: return OnCommand(wParam);
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLOREDIT: return OnCtlColorEdit(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE: return OnActivate(wParam);
    case WM_DESTROY: return OnDestroy();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateLookupWindow(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass)) return nullptr;
  // Centred on the whole primary screen, not its work area.
  int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  HWND window = CreateWindowExA(0, kWindowClass, kCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                left, top, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!window) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

bool HandleLookupWindowKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !ui.main) return false;
  if (msg.hwnd != ui.main && !IsChild(ui.main, msg.hwnd)) return false;
  if (msg.wParam == VK_ESCAPE) {
    SendMessageA(ui.main, WM_CLOSE, 0, 0);
    return true;
  }
  if (msg.wParam == VK_TAB) {
    SetFocus(GetFocus() == ui.codeBox ? ui.resultBox : ui.codeBox);
    return true;
  }
  return false;
}
