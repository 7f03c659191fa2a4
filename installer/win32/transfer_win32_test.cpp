// The transfer with real processes: a scripted stand-in sender (fake-sender,
// copied into a folder as sockfilego.exe) and a window that records what reaches it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "installer/sender_output.h"
#include "installer/transfer.h"
#include "installer/win32/sender_process_win32.h"
#include "tests/win32/gui_driver.h"

namespace {

class RecordingWindow : public TransferWindow {
 public:
  std::vector<std::string> logPieces;
  std::vector<std::string> messages;
  bool buttonEnabled = true;
  std::function<bool()> stillThere;  // the window's answer after each event pass

  void SetPosition(int32_t) override {}
  void SetCaption(const std::string&, const std::string&) override {}
  void AppendLog(const std::string& text) override { logPieces.push_back(text); }
  void MoveLogCaretToEnd() override {}
  void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
  void SetTransferButtonEnabled(bool enabled) override { buttonEnabled = enabled; }
  bool ProcessPendingEvents() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (msg.message == WM_QUIT) return false;
      PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return stillThere ? stillThere() : true;
  }

  // The log without the line end behind each chunk; every chunk must have one
  // and fit one read.
  std::string Output() const {
    std::string output;
    for (const std::string& piece : logPieces) {
      EXPECT_GE(piece.size(), 2u);
      EXPECT_LE(piece.size(), kChunkCapacity + 2);
      EXPECT_EQ(piece.substr(piece.size() - 2), "\r\n");
      output += piece.substr(0, piece.size() - 2);
    }
    return output;
  }
  bool LogHolds(const std::string& text) const {
    for (const std::string& piece : logPieces) {
      if (piece.find(text) != std::string::npos) return true;
    }
    return false;
  }
};

// A new folder holding the stand-in sender as sockfilego.exe with its script.
std::string SenderFolder(const std::string& prefix, const std::string& script) {
  std::string dir = gui::MakeTempDir(prefix);
  EXPECT_FALSE(dir.empty());
  EXPECT_TRUE(gui::CopyInto(gui::ProgramDir() + "\\fake-sender.exe", dir, "sockfilego.exe"));
  EXPECT_TRUE(gui::WriteFileBytes(dir + "\\sockfilego.script", script));
  return dir;
}

void Transfer(RecordingWindow& window, const std::string& dir, const std::string& address,
              const std::string& filePath) {
  TransferRecords records;
  Win32SenderChannel channel(records, dir);
  DriveTransfer(window, channel, address, filePath);
  EXPECT_TRUE(window.buttonEnabled);
  EXPECT_EQ(records.PipeReadEnd, nullptr);
  EXPECT_EQ(records.SenderProcess.hProcess, nullptr);
}

// A script line that writes bytes in one write.
std::string OutLine(const std::string& bytes) {
  std::string line = "out ";
  for (char c : bytes) {
    if (c == '\\') line += "\\\\";
    else if (c == '\r') line += "\\r";
    else if (c == '\n') line += "\\n";
    else line += c;
  }
  return line + "\n";
}

TEST(TransferUnderWine, DeliversAllOutputWrittenUpToTheSendersEnd) {
  // About 200 KB in writes of 1 byte to 20 KB, with short pauses; the last
  // write comes right before the sender exits.
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz0123456789 -=\\/.,游戏乗传输\r\n";
  std::string output, script;
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
  int writes = 0;
  while (output.size() < 200 * 1024) {
    size_t size = (writes % 3 == 0) ? 1 + next() % 40 : 1 + next() % 20000;
    std::string bytes;
    while (bytes.size() < size) bytes += alphabet[next() % alphabet.size()];
    output += bytes;
    script += OutLine(bytes);
    if (writes % 10 == 0) script += "sleep " + std::to_string(next() % 3) + "\n";
    ++writes;
  }
  const std::string last = std::string(3000, 'z') + "END";
  output += last;
  script += OutLine(last) + "exit 0\n";

  RecordingWindow window;
  Transfer(window, SenderFolder("transfer-output", script), "192.168.1.5", "a.cia");
  std::string received = window.Output();
  EXPECT_EQ(received.size(), output.size());
  EXPECT_TRUE(received == output) << "the log differs from the sender's output";
}

TEST(TransferUnderWine, SenderReceivesTheAddressAndEachPathAsOneArgument) {
  // The folder's name has a space and 乗 (0x81 0x5C), so the program path needs quotes.
  const std::vector<std::string> paths = {
      "D:\\my games\\a&b.cia", "C:\\乗", "C:\\x 乗", "q\"uote.cia", "C:\\dir x\\", "tab\there.cia", "^|%PATH%.cia",
  };
  std::string filePath, expected = "argv[1]=192.168.1.5\n";
  for (size_t i = 0; i < paths.size(); ++i) {
    filePath += paths[i] + "\r\n";
    expected += "argv[" + std::to_string(i + 2) + "]=" + paths[i] + "\n";
  }
  RecordingWindow window;
  Transfer(window, SenderFolder("transfer 乗 args", "args\n"), "192.168.1.5", filePath);
  EXPECT_EQ(window.Output(), expected);
}

TEST(TransferUnderWine, ReportsASenderThatCannotBeStarted) {
  std::string dir = gui::MakeTempDir("transfer-missing");
  RecordingWindow window;
  Transfer(window, dir, "192.168.1.5", "a.cia");
  ASSERT_EQ(window.logPieces.size(), 1u);
  const std::string& line = window.logPieces[0];
  const std::string prefix = transfer_text::kStartFailedPrefix;
  EXPECT_EQ(line.substr(0, prefix.size()), prefix);
  EXPECT_GT(line.size(), prefix.size() + 2);  // the system's message follows
  EXPECT_EQ(line.find("\r\n"), line.size() - 2);
}

struct ScriptCase {
  const char* name;
  std::string script;
  std::string output;
  std::vector<std::string> messages;
};

TEST(TransferUnderWine, EndsWithTheSenderHoweverItEnds) {
  const ScriptCase cases[] = {
      {"standard output and error in order", "out A\nsleep 20\nerr B\nsleep 20\nout C\n", "ABC", {}},
      {"exit code 259 (the code of a running process)", "out before\nexit 259\n", "before", {}},
      {"silent failure", "exit 3\n", "", {}},
      {"result message in the middle", "out x\nsleep 20\nerr Install cia file success\nsleep 20\nout after\n",
       "xInstall cia file successafter", {sender_text::kInstalledMessage}},
  };
  for (const ScriptCase& c : cases) {
    RecordingWindow window;
    Transfer(window, SenderFolder("transfer-end", c.script), "10.0.0.2", "a.cia");
    EXPECT_EQ(window.Output(), c.output) << c.name;
    EXPECT_EQ(window.messages, c.messages) << c.name;
  }
}

TEST(TransferUnderWine, EndsTheSenderWhenTheWindowGoesAway) {
  std::string dir = gui::MakeTempDir("transfer-close");
  std::string pidFile = dir + "\\pid.txt";
  std::string script = "pid " + pidFile + "\nout ready\nsleep forever\n";
  ASSERT_TRUE(gui::CopyInto(gui::ProgramDir() + "\\fake-sender.exe", dir, "sockfilego.exe"));
  ASSERT_TRUE(gui::WriteFileBytes(dir + "\\sockfilego.script", script));

  RecordingWindow window;
  DWORD begin = GetTickCount();
  // Gone once the sender is under way; a safety stop if it never gets there.
  window.stillThere = [&] { return !window.LogHolds("ready") && GetTickCount() - begin < 20000; };
  Transfer(window, dir, "10.0.0.2", "a.cia");
  ASSERT_TRUE(window.LogHolds("ready"));

  DWORD pid = std::stoul(gui::ReadFileBytes(pidFile));
  HANDLE sender = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (sender) {  // not gone yet: it must end soon
    EXPECT_EQ(WaitForSingleObject(sender, 5000), WAIT_OBJECT_0);
    CloseHandle(sender);
  }
}

}  // namespace
