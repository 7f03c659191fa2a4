// The release list: the file "3dsreleases.xml" beside the program, read once at
// start and cut into one record per release at every "</release>".
//
// The module-level data lives here; the window layer calls InitReleaseList at
// start, LoadReleaseList from its window-created handler and FreeReleaseList as
// the exit hook. The file itself is reached only through FileSystem.
#pragma once

#include <string>
#include <string_view>

#include "text/text_ops.h"

inline constexpr char kReleaseFileName[] = "3dsreleases.xml";
inline constexpr char kReleaseSeparator[] = "</release>";
inline constexpr char kWarningTitle[] = "警告";
inline constexpr char kMissingReleaseFileText[] = "请保证 3dsreleases.xml 文件与本软件在同一目录！";
inline constexpr char kUnreadableReleaseFileText[] = "无法读取 3dsreleases.xml 文件！";

// The file operations the load needs, on names in the current folder.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Whether the folder holds an entry of this name that is not a folder
  // (hidden, system and read-only files count).
  virtual bool IsFile(const char* name) = 0;
  // The whole file, opened for reading only and leaving others free to read and
  // write it; false when it cannot be opened or read.
  virtual bool ReadWholeFile(const char* name, std::string* bytes) = 0;
};

// How many of the file's bytes make the release text: a byte 0x00 or 0x1A ends
// it, except as the second byte of a two-byte character; a lead byte followed by
// 0x00 is dropped with it.
size_t ReleaseTextLength(std::string_view bytes);

// The release text read from the file, or the warning to show before the
// program ends (missing or unreadable file).
struct ReleaseLoad {
  std::string text;
  const char* warning = nullptr;
};
ReleaseLoad LoadReleaseText(FileSystem& files);

// Module-level data.
void InitReleaseList();
// Reads and splits the file. false with *warning set when the program must warn
// and end; the data is then left as it was.
bool LoadReleaseList(FileSystem& files, const char** warning);
void FreeReleaseList();
// The records, in file order (record i of the list is element i - 1).
const TextArray& ReleaseRecords();
int RecordCount();
