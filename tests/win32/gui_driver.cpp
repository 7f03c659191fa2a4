#include "tests/win32/gui_driver.h"

#include <cstdio>

namespace gui {

namespace {
constexpr UINT kSendTimeoutMs = 5000;

struct WindowSearch {
  DWORD pid;
  const char* className;
  const char* title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  if (search->className && lstrcmpiA(name, search->className) != 0) return TRUE;
  if (search->title && Text(window) != search->title) return TRUE;
  search->found.push_back(window);
  return TRUE;
}
}  // namespace

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of("\\/"));
}

std::string MakeTempDir(const std::string& prefix) {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    std::string dir = std::string(base) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++counter);
    if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
}

bool CopyInto(const std::string& source, const std::string& folder, const std::string& name) {
  return CopyFileA(source.c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
  std::fclose(f);
  return bytes;
}

Program::Program(const std::string& exePath, const std::string& args, const std::string& workDir) {
  std::string commandLine = "\"" + exePath + "\"" + (args.empty() ? "" : " " + args);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                     workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
  }
}

Program::~Program() {
  Kill();
  if (process_) CloseHandle(process_);
}

void Program::Kill() {
  if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
}

bool Program::WaitForExit(DWORD ms, DWORD* exitCode) {
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_, exitCode);
  return true;
}

std::vector<HWND> Program::VisibleWindows() const {
  WindowSearch search{pid_, nullptr, nullptr, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Program::WaitForWindow(const char* className, const char* title, DWORD ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        WindowSearch search{pid_, className, title, {}};
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found.empty()) found = search.found.front();
        return found != nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
      },
      ms);
  if (found) Settle(found);
  return found;
}

std::string Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

void Settle(HWND window) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

void TypeChars(HWND window, std::string_view bytes) {
  for (char c : bytes) PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
  Settle(window);
}

void PressKey(HWND window, UINT virtualKey) {
  UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
  Settle(window);
}

void Click(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(control, WM_LBUTTONUP, 0, at);
  Settle(control);
}

void PushButton(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);  // the message box's static text
  return text ? Text(text) : std::string();
}

void PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) PostMessageA(ok, BM_CLICK, 0, 0);
  else PostMessageA(box, WM_COMMAND, IDOK, 0);
}

HWND FindChild(HWND parent, const char* className, const char* text) {
  for (HWND child : Children(parent)) {
    char name[256] = {};
    GetClassNameA(child, name, sizeof name);
    if (className && lstrcmpiA(name, className) != 0) continue;
    if (text && Text(child) != text) continue;
    return child;
  }
  return nullptr;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace gui
