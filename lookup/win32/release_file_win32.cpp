#include "lookup/win32/release_file_win32.h"

#include <climits>
#include <cstdlib>

bool Win32FileSystem::IsFile(const char* name) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(name, &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool isFile = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  FindClose(search);
  return isFile;
}

bool Win32FileSystem::ReadWholeFile(const char* name, std::string* bytes) {
  // Read access only, so a read-only file, folder or medium still loads; others
  // may go on reading and writing the list while we hold it.
  HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= INT_MAX;
  if (ok) {
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (ok && done < bytes->size()) {
      DWORD got = 0;
      ok = ReadFile(file, &(*bytes)[done], static_cast<DWORD>(bytes->size() - done), &got, nullptr) != 0;
      if (got == 0) break;  // the file shrank meanwhile: keep what was there
      done += got;
    }
    bytes->resize(done);
  }
  CloseHandle(file);
  return ok;
}

void LoadReleaseList(HWND owner) {
  Win32FileSystem files;
  const char* warning = nullptr;
  if (LoadReleaseList(files, &warning)) return;
  MessageBoxA(owner, warning, kWarningTitle, MB_OK | MB_TASKMODAL);
  std::exit(0);
}
