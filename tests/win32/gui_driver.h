// Drives one of our windowed programs from another process, as a user would:
// start it, find its windows, type, click, read texts, answer message boxes.
// All texts are ANSI (code page 936 under the test set-up).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace gui {

// Folder of the running test program; the programs under test are built beside it.
std::string ProgramDir();
// A new empty folder under the temporary folder.
std::string MakeTempDir(const std::string& prefix);
bool CopyInto(const std::string& source, const std::string& folder, const std::string& name);
bool WriteFileBytes(const std::string& path, std::string_view bytes);
std::string ReadFileBytes(const std::string& path);

class Program {
 public:
  // Starts exePath with the given command-line tail and working folder (empty: ours).
  Program(const std::string& exePath, const std::string& args = "", const std::string& workDir = "");
  ~Program();  // ends the program if it still runs
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }

  // true and the exit code once the program has ended within ms.
  bool WaitForExit(DWORD ms, DWORD* exitCode = nullptr);
  // A visible top-level window of this program whose class is className
  // (nullptr: any) and whose title is title (nullptr: any); nullptr after ms.
  HWND WaitForWindow(const char* className, const char* title, DWORD ms);
  HWND WaitForMessageBox(DWORD ms) { return WaitForWindow("#32770", nullptr, ms); }
  // The visible top-level windows of this program.
  std::vector<HWND> VisibleWindows() const;
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// The window's text, read across processes.
std::string Text(HWND window);
// A sent WM_NULL round trip: returns once the window's thread is idle enough to
// answer. Under Wine a sent message can overtake input posted just before it, so
// after posting input, wait for its visible effect (WaitUntil) before asserting.
void Settle(HWND window);
// Posts one WM_CHAR per byte, then settles.
void TypeChars(HWND window, std::string_view bytes);
// Posts a key press (down and up), then settles.
void PressKey(HWND window, UINT virtualKey);
// Posts a left click at the middle of the control, then settles.
void Click(HWND control);
// Sends a button click (BM_CLICK) without waiting for what it starts.
void PushButton(HWND button);
// The message text of a message box, and its OK button.
std::string MessageBoxText(HWND box);
void PressOk(HWND box);
// The first child with this class name (nullptr: any) and text (nullptr: any).
HWND FindChild(HWND parent, const char* className, const char* text = nullptr);
std::vector<HWND> Children(HWND parent);
// Client-area rectangle of a child, relative to its parent's client area.
RECT ChildRect(HWND child);
// Polls predicate every 10 ms until it holds or ms pass.
template <class Predicate>
bool WaitUntil(Predicate predicate, DWORD ms) {
  DWORD begin = GetTickCount();
  for (;;) {
    if (predicate()) return true;
    if (GetTickCount() - begin > ms) return false;
    Sleep(10);
  }
}

}  // namespace gui
