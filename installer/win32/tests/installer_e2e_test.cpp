// wireless-installer.exe driven from another process as a user would, with the
// scripted stand-in sender (fake-sender.exe) beside it as sockfilego.exe.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "installer/sender_output.h"
#include "installer/transfer.h"
#include "installer/win32/window_layout.h"
#include "tests/win32/gui_driver.h"

namespace {

constexpr DWORD kWaitMs = 10000;

std::string Credits() { return layout::kCredits; }

// The caret's place (start and end of the selection) in an edit box of another process.
std::pair<DWORD, DWORD> Selection(HWND edit) {
  DWORD_PTR both = 0;
  SendMessageTimeoutA(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &both);
  return {LOWORD(both), HIWORD(both)};
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

void SetText(HWND control, const std::string& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
}

int ProgressPosition(HWND bar) {
  DWORD_PTR position = 0;
  SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
  return static_cast<int>(position);
}

std::string Without(std::string text, const std::string& piece) {
  for (size_t at; (at = text.find(piece)) != std::string::npos;) text.erase(at, piece.size());
  return text;
}

// One installer in a folder of its own, the stand-in sender beside it.
class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    // A space and two-byte characters in the program's folder, as users have.
    folder_ = gui::MakeTempDir("installer e2e 安装");
    ASSERT_FALSE(folder_.empty());
    ASSERT_TRUE(gui::CopyInto(gui::ProgramDir() + "\\wireless-installer.exe", folder_, "wireless-installer.exe"));
  }

  void AddSender(const std::string& script) {
    ASSERT_TRUE(gui::CopyInto(gui::ProgramDir() + "\\fake-sender.exe", folder_, "sockfilego.exe"));
    ASSERT_TRUE(gui::WriteFileBytes(folder_ + "\\sockfilego.script", script));
  }

  // Starts the program from another working folder, as a shortcut might.
  void Start() {
    elsewhere_ = gui::MakeTempDir("installer-cwd");
    program_ = std::make_unique<gui::Program>(folder_ + "\\wireless-installer.exe", "", elsewhere_);
    ASSERT_TRUE(program_->started());
  }

  void StartWithWindow() {
    ASSERT_NO_FATAL_FAILURE(Start());
    main_ = program_->WaitForWindow(nullptr, layout::kCaption, kWaitMs);
    ASSERT_NE(main_, nullptr);
  }

  HWND Control(int id) { return GetDlgItem(main_, id); }
  HWND AddressBox() { return Control(layout::kAddressBoxId); }
  HWND FileBox() { return Control(layout::kFileBoxId); }
  HWND TransferButton() { return Control(layout::kTransferButtonId); }
  HWND LogBox() { return Control(layout::kLogBoxId); }
  HWND Bar() { return Control(layout::kProgressBarId); }
  std::string Log() { return gui::Text(LogBox()); }

  // Waits for the next message box, checks it, and closes it with OK.
  void ExpectMessage(const std::string& text, const std::string& title) {
    HWND box = program_->WaitForMessageBox(kWaitMs);
    ASSERT_NE(box, nullptr) << "no message box; expected " << text;
    EXPECT_EQ(gui::MessageBoxText(box), text);
    EXPECT_EQ(gui::Text(box), title);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main_);
    gui::PressOk(box);
    ASSERT_TRUE(gui::WaitUntil([&] { return !IsWindow(box); }, kWaitMs));
  }

  void Transfer(const std::string& address, const std::string& file) {
    SetText(AddressBox(), address);
    SetText(FileBox(), file);
    gui::PushButton(TransferButton());
  }

  bool TransferEnded() {
    return gui::WaitUntil([&] { return IsWindowEnabled(TransferButton()) != FALSE; }, kWaitMs);
  }

  void ExpectEndsWithCode0() {
    DWORD code = 99;
    ASSERT_TRUE(program_->WaitForExit(kWaitMs, &code));
    EXPECT_EQ(code, 0u);
  }

  std::string folder_;
  std::string elsewhere_;
  std::unique_ptr<gui::Program> program_;
  HWND main_ = nullptr;
};

TEST_F(Installer, WithoutTheSenderWarnsAndEndsWithoutAWindow) {
  for (bool folderOfThatName : {false, true}) {
    SCOPED_TRACE(folderOfThatName ? "a folder named sockfilego.exe" : "nothing");
    SetUp();
    if (folderOfThatName) {
      ASSERT_TRUE(CreateDirectoryA((folder_ + "\\sockfilego.exe").c_str(), nullptr));
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND box = program_->WaitForMessageBox(kWaitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(gui::MessageBoxText(box), "请保证 Sockfilego.exe 文件与本软件在同一目录！");
    EXPECT_EQ(gui::Text(box), "警告");
    EXPECT_EQ(program_->VisibleWindows().size(), 1u);  // the warning alone
    gui::PressOk(box);
    ExpectEndsWithCode0();
  }
}

TEST_F(Installer, WindowAtStart) {
  AddSender("args\n");
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());

  RECT outer;
  GetWindowRect(main_, &outer);
  EXPECT_EQ(outer.right - outer.left, layout::kWindowWidth);
  EXPECT_EQ(outer.bottom - outer.top, layout::kWindowHeight);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 494) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 379) / 2);
  LONG style = GetWindowLongA(main_, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);

  struct Expected {
    int id;
    const char* className;
    std::string text;
    RECT place;  // left, top, right, bottom in the client area
  };
  const Expected controls[] = {
      {layout::kAddressBoxId, "Edit", "输入 IP 地址", {8, 16, 96, 48}},
      {layout::kFileBoxId, "Edit", "选择文件或拖放 CIA 文件到这里！", {104, 16, 352, 48}},
      {layout::kChooseButtonId, "Button", "选择文件", {360, 16, 416, 48}},
      {layout::kTransferButtonId, "Button", "传输", {424, 16, 480, 48}},
      {layout::kLogBoxId, "Edit", Credits(), {8, 56, 480, 312}},
      {layout::kProgressBarId, "msctls_progress32", "", {8, 320, 296, 344}},
      {layout::kPercentLabelId, "Static", "0 %", {144, 320, 192, 344}},
      {layout::kSpeedLabelId, "Static", "0 KB/s", {312, 320, 392, 344}},
      {layout::kTimeLabelId, "Static", "0h0m0s", {400, 320, 480, 344}},
  };
  for (const Expected& e : controls) {
    HWND control = Control(e.id);
    ASSERT_NE(control, nullptr) << e.text;
    char className[64] = {};
    GetClassNameA(control, className, sizeof className);
    EXPECT_STREQ(className, e.className);
    EXPECT_TRUE(IsWindowVisible(control)) << e.text;
    EXPECT_EQ(gui::Text(control), e.text);
    RECT r = gui::ChildRect(control);
    EXPECT_EQ(r.left, e.place.left) << e.text;
    EXPECT_EQ(r.top, e.place.top) << e.text;
    EXPECT_EQ(r.right, e.place.right) << e.text;
    EXPECT_EQ(r.bottom, e.place.bottom) << e.text;
  }
  EXPECT_EQ(ProgressPosition(Bar()), 0);
  EXPECT_TRUE(GetWindowLongA(LogBox(), GWL_STYLE) & ES_READONLY);
  // The percent label lies above the bar.
  for (HWND child = GetWindow(main_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ASSERT_NE(child, Bar()) << "the progress bar lies above the percent label";
    if (child == Control(layout::kPercentLabelId)) break;
  }
  // The address box has the focus, the caret before its first character.
  EXPECT_EQ(FocusOf(main_), AddressBox());
  EXPECT_EQ(Selection(AddressBox()), std::make_pair(DWORD{0}, DWORD{0}));
}

TEST_F(Installer, ProgramCarriesItsIconAndTheCommonControlsManifest) {
  HMODULE exe = LoadLibraryExA((folder_ + "\\wireless-installer.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr);  // RT_GROUP_ICON
  HRSRC manifest = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));     // RT_MANIFEST
  ASSERT_NE(manifest, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(exe, manifest))), SizeofResource(exe, manifest));
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  FreeLibrary(exe);
}

TEST_F(Installer, AddressBoxEmptiesOnEveryLeftPress) {
  AddSender("args\n");
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());
  auto shows = [&](const std::string& text) {
    return gui::WaitUntil([&] { return gui::Text(AddressBox()) == text; }, kWaitMs);
  };
  gui::TypeChars(AddressBox(), "1");
  EXPECT_TRUE(shows("1输入 IP 地址"));  // typing without a click adds to the prompt
  gui::Click(AddressBox());
  EXPECT_TRUE(shows(""));
  gui::TypeChars(AddressBox(), "192.168.1.20");
  EXPECT_TRUE(shows("192.168.1.20"));
  gui::Click(AddressBox());
  EXPECT_TRUE(shows(""));
  EXPECT_EQ(FocusOf(main_), AddressBox());
}

TEST_F(Installer, EscClosesFromEveryControl) {
  for (int id : {layout::kAddressBoxId, layout::kLogBoxId, layout::kTransferButtonId}) {
    SCOPED_TRACE(id);
    SetUp();
    AddSender("args\n");
    ASSERT_NO_FATAL_FAILURE(StartWithWindow());
    gui::PressKey(Control(id), VK_ESCAPE);
    ExpectEndsWithCode0();
  }
}

TEST_F(Installer, EnterPressesNothingAndTabMovesTheFocus) {
  AddSender("args\n");
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());
  gui::PressKey(TransferButton(), VK_RETURN);
  gui::PressKey(AddressBox(), VK_RETURN);
  // Posted input is handled in order: once the typed mark shows, both Enters
  // have been handled too (a transfer would have shown its message by then).
  gui::TypeChars(AddressBox(), "#");
  ASSERT_TRUE(gui::WaitUntil([&] { return gui::Text(AddressBox()) == "#输入 IP 地址"; }, kWaitMs));
  EXPECT_EQ(program_->VisibleWindows().size(), 1u);  // no message box: no transfer started
  EXPECT_EQ(FocusOf(main_), AddressBox());

  const int order[] = {layout::kFileBoxId, layout::kChooseButtonId, layout::kTransferButtonId, layout::kLogBoxId,
                       layout::kAddressBoxId};
  for (int id : order) {
    gui::PressKey(FocusOf(main_), VK_TAB);
    EXPECT_TRUE(gui::WaitUntil([&] { return FocusOf(main_) == Control(id); }, kWaitMs)) << id;
  }
}

TEST_F(Installer, TransferChecksTheAddressAndTheFile) {
  AddSender("args\n");
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());
  gui::PushButton(TransferButton());  // the prompts: no dot, no ".cia"
  ASSERT_NO_FATAL_FAILURE(ExpectMessage(transfer_text::kBadAddressMessage, "提示"));
  SetText(AddressBox(), "192.168.1.20");
  gui::PushButton(TransferButton());
  ASSERT_NO_FATAL_FAILURE(ExpectMessage(transfer_text::kBadFileMessage, "提示"));
  EXPECT_EQ(Log(), Credits());
}

TEST_F(Installer, OpenFileDialogFillsTheFileBoxAndRemembersThePath) {
  AddSender("args\n");
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());
  std::string chosen = folder_ + "\\chosen game.cia";
  ASSERT_TRUE(gui::WriteFileBytes(chosen, "cia"));

  auto openDialog = [&] {
    gui::PushButton(Control(layout::kChooseButtonId));
    HWND dialog = program_->WaitForMessageBox(kWaitMs);  // the dialog is a #32770 too
    EXPECT_NE(dialog, nullptr);
    return dialog;
  };
  HWND dialog = openDialog();
  ASSERT_NE(dialog, nullptr);
  HWND name = GetDlgItem(dialog, cmb13);
  ASSERT_NE(name, nullptr);
  SetText(name, chosen);
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(gui::WaitUntil([&] { return gui::Text(FileBox()) == chosen; }, kWaitMs)) << gui::Text(FileBox());

  dialog = openDialog();  // again: it starts with the file chosen before
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(gui::Text(GetDlgItem(dialog, cmb13)).find("chosen game.cia"), std::string::npos);
  PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  ASSERT_TRUE(gui::WaitUntil([&] { return !IsWindow(dialog); }, kWaitMs));
  EXPECT_EQ(gui::Text(FileBox()), chosen);  // cancelled: nothing changes
}

TEST_F(Installer, TransferShowsProgressAndEndsInEachResult) {
  struct Case {
    const char* phrase;
    const char* message;
    const char* percentAfter;
  };
  const Case cases[] = {
      {"Install cia file success", sender_text::kInstalledMessage, "100 %"},  // keeps the last percent
      {"cia file failed", sender_text::kTransferFailedMessage, "0 %"},
      {"A connection attempt failed", sender_text::kConnectionFailedMessage, "0 %"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phrase);
    SetUp();
    std::string release = folder_ + "\\go-on";
    AddSender("progress 2 20\nwait " + release + "\nout result: " + c.phrase + "\\r\\n\n");
    ASSERT_NO_FATAL_FAILURE(StartWithWindow());
    Transfer("192.168.1.20", "C:\\games\\zelda.cia");

    HWND percent = Control(layout::kPercentLabelId);
    ASSERT_TRUE(gui::WaitUntil([&] { return gui::Text(percent) == "100 %"; }, kWaitMs)) << gui::Text(percent);
    EXPECT_EQ(ProgressPosition(Bar()), 100);
    EXPECT_EQ(gui::Text(Control(layout::kSpeedLabelId)), "501 KB/s");
    EXPECT_EQ(gui::Text(Control(layout::kTimeLabelId)), "0h0m0s");
    EXPECT_FALSE(IsWindowEnabled(TransferButton()));  // one transfer at a time

    ASSERT_TRUE(gui::WriteFileBytes(release, ""));
    HWND box = program_->WaitForMessageBox(kWaitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(gui::MessageBoxText(box), c.message);
    EXPECT_EQ(gui::Text(box), "提示");
    EXPECT_EQ(ProgressPosition(Bar()), 0);
    EXPECT_EQ(gui::Text(Control(layout::kSpeedLabelId)), "0 KB/s");
    EXPECT_EQ(gui::Text(Control(layout::kTimeLabelId)), "0h0m0s");
    EXPECT_EQ(gui::Text(percent), c.percentAfter);
    gui::PressOk(box);
    ASSERT_TRUE(TransferEnded());
    std::string log = Log();
    EXPECT_EQ(log.rfind(Credits(), 0), 0u);
    EXPECT_NE(log.find("Sending 50 % 500 KB/s 0h0m0s"), std::string::npos);
    EXPECT_NE(log.find(std::string("result: ") + c.phrase + "\r\n"), std::string::npos);
  }
}

TEST_F(Installer, SenderReceivesTheAddressAndEachFileAsItsOwnArgument) {
  struct Case {
    std::string fileBox;
    std::string received;
  };
  const Case cases[] = {
      {"C:\\My Games\\a&b ^|x.cia", "argv[1]=192.168.1.20\nargv[2]=C:\\My Games\\a&b ^|x.cia\n"},
      {"C:\\x y.cia\r\nD:\\z.cia\r\n", "argv[1]=192.168.1.20\nargv[2]=C:\\x y.cia\nargv[3]=D:\\z.cia\n"},
  };
  AddSender("args\n");
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());
  std::string expectedLog = Credits();
  for (const Case& c : cases) {
    Transfer("192.168.1.20", c.fileBox);
    ASSERT_TRUE(gui::WaitUntil([&] { return Log().find(c.received) != std::string::npos; }, kWaitMs)) << Log();
    ASSERT_TRUE(TransferEnded());
    expectedLog += c.received + "\r\n";  // each transfer's output follows the last
    EXPECT_EQ(Log(), expectedLog);
  }
}

TEST_F(Installer, ClosingTheWindowDuringATransferEndsBothPrograms) {
  std::string pidFile = folder_ + "\\sender.pid";
  AddSender("pid " + pidFile + "\nout waiting\\r\\n\nsleep forever\n");
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());
  SetText(AddressBox(), "192.168.1.20");
  SetText(FileBox(), "C:\\games\\zelda.cia");
  gui::Click(TransferButton());  // a real press: the button takes the focus
  ASSERT_TRUE(gui::WaitUntil([&] { return Log().find("waiting") != std::string::npos; }, kWaitMs));
  DWORD senderPid = std::stoul(gui::ReadFileBytes(pidFile));
  HANDLE sender = OpenProcess(SYNCHRONIZE, FALSE, senderPid);
  ASSERT_NE(sender, nullptr);
  EXPECT_FALSE(IsWindowEnabled(TransferButton()));
  HWND focus = FocusOf(main_);
  EXPECT_EQ(focus, LogBox()) << "the disabled button took the focus with it";

  gui::PressKey(focus ? focus : main_, VK_ESCAPE);
  ExpectEndsWithCode0();
  EXPECT_EQ(WaitForSingleObject(sender, kWaitMs), WAIT_OBJECT_0);
  CloseHandle(sender);
}

TEST_F(Installer, LongLogArrivesWhole) {
  // About 200 KB in small and large writes, no line ends of its own, so the log
  // less the "\r\n" behind each chunk must equal it. The last write comes just
  // before the sender ends.
  std::string script;
  std::string output;
  for (int i = 0; output.size() < 200 * 1024; ++i) {
    std::string piece = "<" + std::to_string(i) + ":" + std::string(i % 7 == 0 ? 20000 : 1 + i % 300, 'a' + i % 26) + ">";
    script += "out " + piece + "\n";
    output += piece;
    if (i % 50 == 0) script += "sleep 5\n";
  }
  script += "out <the end>\nexit 0\n";
  output += "<the end>";
  AddSender(script);
  ASSERT_NO_FATAL_FAILURE(StartWithWindow());
  Transfer("192.168.1.20", "C:\\games\\zelda.cia");
  // Waits on the length: reading 200 KB every 10 ms would slow the installer down.
  auto logLength = [&] {
    DWORD_PTR length = 0;
    SendMessageTimeoutA(LogBox(), WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    return static_cast<size_t>(length);
  };
  ASSERT_TRUE(gui::WaitUntil([&] { return logLength() >= Credits().size() + output.size(); }, 30000));
  ASSERT_TRUE(TransferEnded());
  std::string log = Log();
  ASSERT_EQ(log.rfind(Credits(), 0), 0u);
  std::string received = log.substr(Credits().size());
  EXPECT_EQ(received.substr(received.size() - 2), "\r\n");
  EXPECT_TRUE(Without(received, "\r\n") == output) << "the log lost or doubled output";
}

}  // namespace
