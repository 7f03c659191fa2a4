// The release list as the lookup window loads it: the file is reached through
// kernel32, and a missing or unreadable file ends the program after a warning.
#pragma once

#include <windows.h>

#include "lookup/release_list.h"

class Win32FileSystem : public FileSystem {
 public:
  bool IsFile(const char* name) override;
  bool ReadWholeFile(const char* name, std::string* bytes) override;
};

// The main window's created handler. Reads "3dsreleases.xml" from the current
// folder; when that fails, shows the warning owned by owner and ends the program
// with exit code 0 (the exit hook runs).
void LoadReleaseList(HWND owner);
