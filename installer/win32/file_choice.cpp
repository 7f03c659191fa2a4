// Choosing the file to send: the open-file dialog and files dropped on the window.
#include <windows.h>

#include <commdlg.h>

#include "installer/win32/main_window.h"

// <windows.h> maps FindText to the find dialog's FindTextA; ours is meant here.
#undef FindText
#include "text/text_ops.h"

namespace {

constexpr char kFilter[] = "CIA 文件\0*.cia\0";
constexpr char kNotCia[] = "请拖放 CIA 文件！";
constexpr char kWarningTitle[] = "警告";

// The dialog's file name: empty at first, then the full path chosen last, so the
// dialog opens in that file's folder.
char g_chosenPath[32768];

}  // namespace

void ChooseCiaFile() {
  char path[sizeof g_chosenPath];
  lstrcpynA(path, g_chosenPath, sizeof path);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Ui().main;
  dialog.lpstrFilter = kFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&dialog)) return;  // cancelled: nothing changes
  lstrcpynA(g_chosenPath, path, sizeof g_chosenPath);
  if (Ui().fileBox) SetWindowTextA(Ui().fileBox, g_chosenPath);
}

void TakeDroppedFiles(const std::string& dropped) {
  if (FindText(dropped, ".cia") > 0) {
    SetWindowTextA(Ui().fileBox, dropped.c_str());
  } else {
    MessageBoxA(Ui().main, kNotCia, kWarningTitle, MB_OK | MB_TASKMODAL);
  }
}
