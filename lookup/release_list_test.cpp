#include "lookup/release_list.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace std::string_literals;

// Files by name in one folder; a file marked unreadable fails to open.
class FakeFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, bool> unreadable;
  int reads = 0;

  bool IsFile(const char* name) override { return files.count(name) > 0; }
  bool ReadWholeFile(const char* name, std::string* bytes) override {
    ++reads;
    if (!files.count(name) || unreadable[name]) return false;
    *bytes = files[name];
    return true;
  }
};

struct CutCase {
  const char* what;
  std::string bytes;
  std::string text;
};

TEST(ReleaseTextLength, EndsAtZeroOrSubstituteOutsideTwoByteCharacters) {
  const CutCase cases[] = {
      {"plain text is kept whole", "<a>b</a>", "<a>b</a>"},
      {"empty file", "", ""},
      {"zero byte ends the text", "ab\0cd"s, "ab"},
      {"0x1A ends the text", "ab\x1A" "cd", "ab"},
      {"zero byte first", "\0abc"s, ""},
      {"0x1A as second byte of a character ends nothing", "\xB0\x1A" "cd", "\xB0\x1A" "cd"},
      {"zero byte after a lead byte drops the lead byte", "ab\xB0\0cd"s, "ab"},
      {"0x1A after a complete character ends the text", "\xD6\xD0\x1A" "x", "\xD6\xD0"},
      {"lead byte as the last byte stays", "ab\xB0", "ab\xB0"},
      {"zero byte in a 16-bit encoding cuts within the first bytes", "<\0r\0"s, "<"},
  };
  for (const CutCase& c : cases) EXPECT_EQ(c.bytes.substr(0, ReleaseTextLength(c.bytes)), c.text) << c.what;
}

TEST(LoadReleaseText, WarnsForMissingOrUnreadableFile) {
  FakeFileSystem files;
  ReleaseLoad missing = LoadReleaseText(files);
  EXPECT_STREQ(missing.warning, kMissingReleaseFileText);
  EXPECT_EQ(files.reads, 0) << "a missing file is not opened";

  files.files[kReleaseFileName] = "abc";
  files.unreadable[kReleaseFileName] = true;
  ReleaseLoad unreadable = LoadReleaseText(files);
  EXPECT_STREQ(unreadable.warning, kUnreadableReleaseFileText);
  EXPECT_EQ(unreadable.text, "");

  files.unreadable[kReleaseFileName] = false;
  files.files[kReleaseFileName] = "a</release>b\0c"s;
  ReleaseLoad loaded = LoadReleaseText(files);
  EXPECT_EQ(loaded.warning, nullptr);
  EXPECT_EQ(loaded.text, "a</release>b");
}

TEST(LoadReleaseText, WarningTextsAreTheProgramsGbkBytes) {
  // The message box shows these bytes as they are, in code page 936.
  EXPECT_EQ(std::string(kWarningTitle), "\xBE\xAF\xB8\xE6");
  EXPECT_EQ(std::string(kUnreadableReleaseFileText).substr(0, 4), "\xCE\xDE\xB7\xA8");  // 无法
  EXPECT_EQ(std::string(kMissingReleaseFileText).substr(0, 4), "\xC7\xEB\xB1\xA3");      // 请保
}

struct SplitCase {
  const char* what;
  std::string file;
  TextArray records;
};

TEST(ReleaseList, CutsTheFileIntoRecords) {
  const SplitCase cases[] = {
      {"two records", "A</release>B</release>", {"A", "B"}},
      {"a trailing line end is one more record", "A</release>B</release>\r\n", {"A", "B", "\r\n"}},
      {"two separators alone give two empty records", "</release></release>", {"", ""}},
      {"no separator: one record", "<release>x", {"<release>x"}},
      {"empty file: no records", "", {}},
      {"zero byte right after the first release", "A</release>\0B</release>"s, {"A"}},
  };
  for (const SplitCase& c : cases) {
    FakeFileSystem files;
    files.files[kReleaseFileName] = c.file;
    InitReleaseList();
    const char* warning = nullptr;
    ASSERT_TRUE(LoadReleaseList(files, &warning)) << c.what;
    EXPECT_EQ(ReleaseRecords(), c.records) << c.what;
    EXPECT_EQ(RecordCount(), static_cast<int>(c.records.size())) << c.what;
    FreeReleaseList();
    EXPECT_EQ(RecordCount(), 0);
  }
}

TEST(ReleaseList, FailedLoadLeavesTheListEmptyAndSaysWhy) {
  FakeFileSystem files;
  InitReleaseList();
  const char* warning = nullptr;
  EXPECT_FALSE(LoadReleaseList(files, &warning));
  EXPECT_STREQ(warning, kMissingReleaseFileText);
  EXPECT_EQ(RecordCount(), 0);
  FreeReleaseList();
}

}  // namespace
