// Drives title-lookup.exe from another process as a user would: the program is
// copied into a folder of its own with a release list beside it and started
// from another working folder.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "tests/win32/gui_driver.h"

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr char kWindowClass[] = "KestrunTitleLookup";
constexpr char kCredit[] = "作者:Vandrel\r\n\r\n编译日期:2016.2.23";
constexpr char kNotFound[] = "未找到！";

std::string Release(const std::string& name, const std::string& publisher, const std::string& serial,
                    const std::string& titleId, const std::string& firmware) {
  return "<release>\n\t<name>" + name + "</name>\n\t<publisher>" + publisher + "</publisher>\n\t<serial>" + serial +
         "</serial>\n\t<titleid>" + titleId + "</titleid>\n\t<firmware>" + firmware + "</firmware>\n</release>\n";
}

// A header that holds a code of its own, a code in two records (the first must
// win) and a record in two-byte characters.
const std::string kFixtureList = "<?xml version=\"1.0\"?>\n<releases note=\"HDRX\">\n" +
                                 Release("Alpha Quest", "Northwind", "CTR-AAQP", "0004000000100100", "1.0.0E") +
                                 Release("Bravo Racing", "Southpeak", "CTR-BRVE", "0004000000100200", "2.1.0U") +
                                 Release("中文冒险", "星河", "CTR-ZWCJ", "0004000000100300", "9.0.0J") +
                                 Release("Alpha Quest Demo", "Northwind", "CTR-N-AAQP", "0004000000100400", "1.0.0E") +
                                 "</releases>\n";

std::string Lines(const std::string& name, const std::string& publisher, const std::string& serial,
                  const std::string& titleId, const std::string& firmware) {
  return "游戏名称：" + name + "\r\n游戏厂商：" + publisher + "\r\n序列号：" + serial + "\r\nTITLE ID：" + titleId +
         "\r\n固件版本：" + firmware;
}
const std::string kAlphaLines = Lines("Alpha Quest", "Northwind", "CTR-AAQP", "0004000000100100", "1.0.0E");

LONG_PTR Style(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

// The control that has the keyboard focus in the program that owns window.
HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

class TitleLookup : public ::testing::Test {
 protected:
  // A new folder holding a copy of the program and, unless list is null, the
  // release list with these bytes.
  std::string ProgramFolder(const std::string* list) {
    std::string folder = gui::MakeTempDir("title-lookup");
    EXPECT_TRUE(gui::CopyInto(gui::ProgramDir() + "\\title-lookup.exe", folder, "title-lookup.exe"));
    if (list) {
      EXPECT_TRUE(gui::WriteFileBytes(ListPath(folder), *list));
    }
    return folder;
  }
  static std::string ListPath(const std::string& folder) { return folder + "\\3dsreleases.xml"; }

  // Starts the program in folder from another working folder.
  void Start(const std::string& folder) {
    program_ = std::make_unique<gui::Program>(folder + "\\title-lookup.exe", "", gui::MakeTempDir("elsewhere"));
    ASSERT_TRUE(program_->started());
  }

  // Starts it and finds the window and its boxes.
  void StartWindow(const std::string& folder) {
    Start(folder);
    window_ = program_->WaitForWindow(kWindowClass, nullptr, kWaitMs);
    ASSERT_NE(window_, nullptr) << "no lookup window";
    for (HWND child : gui::Children(window_)) {
      char name[64] = {};
      GetClassNameA(child, name, sizeof name);
      if (lstrcmpiA(name, "Edit") != 0) continue;
      (Style(child) & ES_MULTILINE ? resultBox_ : codeBox_) = child;
    }
    ASSERT_NE(codeBox_, nullptr);
    ASSERT_NE(resultBox_, nullptr);
  }

  std::string Code() { return gui::Text(codeBox_); }
  // Types keys into the code box and waits until it shows shown. Posted keys
  // may still wait in the queue when a message sent later has been answered,
  // so a check is made only after a state the keys lead to.
  void Type(const std::string& keys, const std::string& shown) {
    gui::TypeChars(codeBox_, keys);
    EXPECT_TRUE(gui::WaitUntil([&] { return Code() == shown; }, kWaitMs))
        << "typed \"" << keys << "\", the box shows \"" << Code() << "\" instead of \"" << shown << "\"";
  }
  void ClickCodeBox() {
    gui::Click(codeBox_);
    EXPECT_TRUE(gui::WaitUntil([&] { return Code().empty() && Result().empty(); }, kWaitMs));
  }
  std::string Result() { return gui::Text(resultBox_); }
  void SetCode(const std::string& text) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(codeBox_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
  }
  DWORD ExitCode() {
    DWORD code = 12345;
    EXPECT_TRUE(program_->WaitForExit(kWaitMs, &code)) << "the program did not end";
    return code;
  }

  std::unique_ptr<gui::Program> program_;
  HWND window_ = nullptr;
  HWND codeBox_ = nullptr;
  HWND resultBox_ = nullptr;
};

TEST_F(TitleLookup, WindowStartsCentredWithItsControlsAndTheFocusInTheCodeBox) {
  StartWindow(ProgramFolder(&kFixtureList));
  EXPECT_EQ(gui::Text(window_), "Kestrun3DS名称查询 v1.0");
  RECT outer;
  GetWindowRect(window_, &outer);
  EXPECT_EQ(outer.right - outer.left, 380);
  EXPECT_EQ(outer.bottom - outer.top, 164);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 380) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 164) / 2);
  LONG_PTR style = Style(window_);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the frame is fixed";

  // Every text on the window is a child window's text, for screen readers.
  struct Expected {
    const char* className;
    const char* text;
    RECT place;  // left, top, right, bottom in the client area
  };
  const Expected controls[] = {
      {"Static", "Product Code:", {8, 8, 96, 32}},
      {"Static", "从 DevMenu 查看 Product Code", {176, 8, 360, 32}},
  };
  for (const Expected& c : controls) {
    HWND label = gui::FindChild(window_, c.className, c.text);
    ASSERT_NE(label, nullptr) << c.text;
    RECT r = gui::ChildRect(label);
    EXPECT_TRUE(EqualRect(&r, &c.place)) << c.text << ": " << r.left << "," << r.top << "," << r.right << ","
                                         << r.bottom;
  }
  RECT code = gui::ChildRect(codeBox_), result = gui::ChildRect(resultBox_);
  const RECT codePlace = {88, 8, 152, 28}, resultPlace = {8, 40, 368, 128};
  EXPECT_TRUE(EqualRect(&code, &codePlace));
  EXPECT_TRUE(EqualRect(&result, &resultPlace));
  EXPECT_TRUE(Style(codeBox_) & ES_UPPERCASE);
  EXPECT_TRUE(Style(resultBox_) & ES_READONLY);
  // The code box lies above the caption label it overlaps.
  EXPECT_EQ(gui::Children(window_).front(), codeBox_);

  EXPECT_EQ(Code(), "");
  EXPECT_EQ(Result(), kCredit);
  EXPECT_EQ(FocusOf(window_), codeBox_);
}

TEST(TitleLookupProgram, CarriesItsIconAndAsksForCommonControlsVersion6) {
  HMODULE exe = LoadLibraryExA((gui::ProgramDir() + "\\title-lookup.exe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(exe, nullptr);
  EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr) << "icon group 1";  // RT_GROUP_ICON
  HRSRC manifest = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));                       // RT_MANIFEST
  ASSERT_NE(manifest, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(exe, manifest))), SizeofResource(exe, manifest));
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos) << text;
  FreeLibrary(exe);
}

TEST_F(TitleLookup, TypedCodeShowsTheFirstRecordThatHoldsIt) {
  StartWindow(ProgramFolder(&kFixtureList));
  // Small letters become capitals; the lookup follows every keystroke.
  const struct {
    char key;
    const char* code;
  } steps[] = {{'a', "A"}, {'a', "AA"}, {'q', "AAQ"}};
  for (const auto& step : steps) {
    Type(std::string(1, step.key), step.code);
    EXPECT_EQ(Result(), "") << "fewer than four bytes show nothing";
  }
  Type("p", "AAQP");
  EXPECT_EQ(Result(), kAlphaLines);

  // A fifth byte is refused: after a backspace three bytes are left, not four.
  gui::TypeChars(codeBox_, "x");
  Type("\b", "AAQ");
  EXPECT_EQ(Result(), "") << "deleting a byte of the code empties the result";
}

TEST_F(TitleLookup, AbsentCodeHeaderCodeAndTwoByteCode) {
  StartWindow(ProgramFolder(&kFixtureList));
  const struct {
    const char* typed;
    std::string result;
  } cases[] = {
      {"zzzz", kNotFound},
      {"brve", Lines("Bravo Racing", "Southpeak", "CTR-BRVE", "0004000000100200", "2.1.0U")},
      {"hdrx", kAlphaLines},  // only in the file's header, which belongs to record 1
  };
  for (const auto& c : cases) {
    ClickCodeBox();
    std::string upper = c.typed;
    CharUpperA(&upper[0]);
    Type(c.typed, upper);
    EXPECT_EQ(Result(), c.result) << c.typed;
  }
  // Two two-byte characters fill the four bytes; setting the text runs the lookup.
  SetCode("中文");
  gui::Settle(window_);
  EXPECT_EQ(Result(), Lines("中文冒险", "星河", "CTR-ZWCJ", "0004000000100300", "9.0.0J"));
  gui::TypeChars(codeBox_, "a");  // refused: the caret is at the start after setting the text
  gui::PressKey(codeBox_, VK_END);
  Type("\b", "中");
}

// Puts text on the clipboard, shared by the processes of one Wine prefix.
bool SetClipboardText(const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return false;
  memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = SetClipboardData(CF_TEXT, memory) != nullptr;
  CloseClipboard();
  return ok;
}

TEST_F(TitleLookup, PasteKeepsWholeCharactersWithinFourBytes) {
  StartWindow(ProgramFolder(&kFixtureList));
  const struct {
    std::string clipboard;
    std::string code;
    std::string result;
  } cases[] = {
      {"BRVE-1234", "BRVE", Lines("Bravo Racing", "Southpeak", "CTR-BRVE", "0004000000100200", "2.1.0U")},
      {"中文冒险", "中文", Lines("中文冒险", "星河", "CTR-ZWCJ", "0004000000100300", "9.0.0J")},
      {"AB中文", "AB中", kNotFound},  // a character that does not fit whole is left out
      {"AAQP\r\nBRVE", "AAQP", kAlphaLines},
  };
  for (const auto& c : cases) {
    ClickCodeBox();
    ASSERT_TRUE(SetClipboardText(c.clipboard));
    DWORD_PTR ignored;
    SendMessageTimeoutA(codeBox_, WM_PASTE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    EXPECT_EQ(Code(), c.code) << c.clipboard;
    EXPECT_EQ(Result(), c.result) << c.clipboard;
  }
}

TEST_F(TitleLookup, ClickInTheCodeBoxEmptiesBothBoxes) {
  StartWindow(ProgramFolder(&kFixtureList));
  Type("AAQP", "AAQP");
  ASSERT_EQ(Result(), kAlphaLines);
  ClickCodeBox();
  Type("BRVE", "BRVE");  // the box takes typing again after the click
}

TEST_F(TitleLookup, EscClosesFromEitherBox) {
  for (bool fromResultBox : {false, true}) {
    StartWindow(ProgramFolder(&kFixtureList));
    HWND target = codeBox_;
    if (fromResultBox) {
      gui::PressKey(codeBox_, VK_TAB);
      EXPECT_TRUE(gui::WaitUntil([&] { return FocusOf(window_) == resultBox_; }, kWaitMs))
          << "Tab moves to the result box";
      target = resultBox_;
    }
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(ExitCode(), 0u) << (fromResultBox ? "result box" : "code box");
  }
}

TEST_F(TitleLookup, MissingListWarnsAndEndsWithoutShowingTheWindow) {
  const struct {
    const char* what;
    bool folderOfThatName;
  } cases[] = {{"no file", false}, {"a folder named like the list", true}};
  for (const auto& c : cases) {
    std::string folder = ProgramFolder(nullptr);
    if (c.folderOfThatName) {
      ASSERT_TRUE(CreateDirectoryA(ListPath(folder).c_str(), nullptr));
    }
    Start(folder);
    HWND box = program_->WaitForMessageBox(kWaitMs);
    ASSERT_NE(box, nullptr) << c.what;
    EXPECT_EQ(gui::Text(box), "警告") << c.what;
    EXPECT_EQ(gui::MessageBoxText(box), "请保证 3dsreleases.xml 文件与本软件在同一目录！") << c.what;
    EXPECT_EQ(program_->VisibleWindows(), std::vector<HWND>{box}) << c.what << ": only the warning is shown";
    gui::PressOk(box);
    EXPECT_EQ(ExitCode(), 0u) << c.what;
  }
}

TEST_F(TitleLookup, ListThatCannotBeOpenedWarnsAndEnds) {
  std::string folder = ProgramFolder(&kFixtureList);
  // Another program holds the list and lets nobody else open it.
  HANDLE holder = CreateFileA(ListPath(folder).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  Start(folder);
  HWND box = program_->WaitForMessageBox(kWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(gui::Text(box), "警告");
  EXPECT_EQ(gui::MessageBoxText(box), "无法读取 3dsreleases.xml 文件！");
  EXPECT_EQ(program_->VisibleWindows(), std::vector<HWND>{box});
  gui::PressOk(box);
  EXPECT_EQ(ExitCode(), 0u);
  CloseHandle(holder);
}

TEST_F(TitleLookup, ReadOnlyOrBusyListStillLoads) {
  const struct {
    const char* what;
    bool readOnly;
    bool heldForWriting;
  } cases[] = {{"read-only file", true, false}, {"file another program is writing", false, true}};
  for (const auto& c : cases) {
    std::string folder = ProgramFolder(&kFixtureList);
    std::string list = ListPath(folder);
    HANDLE writer = INVALID_HANDLE_VALUE;
    if (c.readOnly) {
      ASSERT_TRUE(SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    if (c.heldForWriting) {
      writer = CreateFileA(list.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    }
    StartWindow(folder);
    Type("AAQP", "AAQP");
    EXPECT_EQ(Result(), kAlphaLines) << c.what;
    program_->Kill();
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(TitleLookup, RealReleaseList) {
  std::string real = gui::ReadFileBytes(REAL_RELEASE_LIST);
  if (real.empty()) GTEST_SKIP() << "no real release list at " << REAL_RELEASE_LIST;
  StartWindow(ProgramFolder(&real));
  // The product code of serial CTR-AGRP, held first by the list's first release.
  Type("AGRP", "AGRP");
  EXPECT_EQ(Result(), Lines("Tom Clancy's Ghost Recon - Shadow Wars", "Ubisoft", "CTR-AGRP", "0004000000037500",
                            "1.0.0E"));
  ClickCodeBox();
  Type("QQQQ", "QQQQ");
  EXPECT_EQ(Result(), kNotFound);
  Type("\b", "QQQ");
  EXPECT_EQ(Result(), "");
}

}  // namespace
