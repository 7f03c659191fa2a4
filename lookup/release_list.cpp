#include "lookup/release_list.h"

#include <utility>

namespace {

// One per process, written only by InitReleaseList, LoadReleaseList and
// FreeReleaseList. Nothing reads the text after the split; it is kept until the
// end like the records cut from it.
struct ReleaseData {
  std::string text;
  TextArray records;
};
ReleaseData* releases = nullptr;

const TextArray& NoRecords() {
  static const TextArray none;
  return none;
}

}  // namespace

size_t ReleaseTextLength(std::string_view bytes) {
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte == 0x00 || byte == 0x1A) break;
    if (byte >= 0x80) {
      if (i + 1 < n && bytes[i + 1] == '\0') break;
      // The second byte of a two-byte character ends nothing. A lead byte that
      // is the file's last byte stays: it is part of what the file holds.
      i += 2;
    } else {
      i += 1;
    }
  }
  return i < n ? i : n;
}

ReleaseLoad LoadReleaseText(FileSystem& files) {
  ReleaseLoad load;
  if (!files.IsFile(kReleaseFileName)) {
    load.warning = kMissingReleaseFileText;
    return load;
  }
  std::string bytes;
  if (!files.ReadWholeFile(kReleaseFileName, &bytes)) {
    load.warning = kUnreadableReleaseFileText;
    return load;
  }
  bytes.resize(ReleaseTextLength(bytes));
  load.text = std::move(bytes);
  return load;
}

void InitReleaseList() {
  delete releases;
  releases = new ReleaseData;
}

bool LoadReleaseList(FileSystem& files, const char** warning) {
  ReleaseLoad load = LoadReleaseText(files);
  if (load.warning) {
    *warning = load.warning;
    return false;
  }
  if (!releases) releases = new ReleaseData;
  releases->records = SplitText(load.text, kReleaseSeparator);
  releases->text = std::move(load.text);
  return true;
}

void FreeReleaseList() {
  delete releases;
  releases = nullptr;
}

const TextArray& ReleaseRecords() { return releases ? releases->records : NoRecords(); }

int RecordCount() { return static_cast<int>(ReleaseRecords().size()); }
