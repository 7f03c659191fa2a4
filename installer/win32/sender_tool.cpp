// The check at start that the sender lies beside the program.
#include "installer/win32/file_drop_target.h"
#include "installer/win32/main_window.h"

#undef FindText  // <windows.h>'s name for the find dialog; ours is meant
#include "text/text_ops.h"

namespace {

constexpr char kSenderName[] = "sockfilego.exe";
constexpr char kMissingSender[] = "请保证 Sockfilego.exe 文件与本软件在同一目录！";
constexpr char kWarningTitle[] = "警告";

// The name of the first entry called sockfilego.exe in the current folder that
// is not a folder itself; empty when there is none.
std::string FindSenderFile() {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(kSenderName, &entry);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::string found;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found = entry.cFileName;
  } while (found.empty() && FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

}  // namespace

bool CheckSenderTool() {
  if (CompareText(FindSenderFile(), "") == 0) {
    MessageBoxA(Ui().main, kMissingSender, kWarningTitle, MB_OK | MB_TASKMODAL);
    return false;
  }
  Ui().dropTarget = AttachFileDropTarget(Ui().main, TakeDroppedFiles);  // a failure is not reported
  return true;
}
