#include "installer/transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "installer/control_names.h"
#include "installer/sender_output.h"

namespace {

// What the scripted sender does. A pause is where time passes: the loop's next
// wait runs the script on to the following pause.
struct Action {
  enum Kind { Write, Pause, End, ClosePipe, ShortRead } kind;
  std::string bytes;
  uint32_t limit = 0;
};
Action Write(std::string bytes) { return {Action::Write, std::move(bytes)}; }
Action Pause() { return {Action::Pause, {}}; }
Action End() { return {Action::End, {}}; }  // the process ends; a child may still hold the pipe
Action ClosePipe() { return {Action::ClosePipe, {}}; }
Action ShortRead(uint32_t limit) { return {Action::ShortRead, {}, limit}; }  // the next read takes at most limit

class FakeChannel : public SenderChannel {
 public:
  std::vector<Action> script;
  std::string runDirectory = "C:\\kit";
  bool startSucceeds = true;
  std::string startError;

  int starts = 0, closes = 0, waits = 0;
  bool endedAtClose = false;
  std::string program, commandLine;

  std::string RunDirectory() override { return runDirectory; }
  bool Start(const std::string& programPath, const std::string& line, std::string* error) override {
    ++starts;
    program = programPath;
    commandLine = line;
    if (!startSucceeds) {
      *error = startError;
      return false;
    }
    RunToPause();
    return true;
  }
  bool Peek(uint32_t* available) override {
    if (pipe_.empty() && pipeClosed_) return false;
    *available = static_cast<uint32_t>(pipe_.size());
    return true;
  }
  bool Read(char* buffer, uint32_t capacity, uint32_t* count) override {
    *count = 0;
    if (pipe_.empty()) {
      if (!pipeClosed_) ADD_FAILURE() << "a read of an empty open pipe would block the window";
      return false;
    }
    size_t n = std::min<size_t>(capacity, pipe_.size());
    if (readLimit_ > 0) n = std::min<size_t>(n, readLimit_);
    readLimit_ = 0;
    std::memcpy(buffer, pipe_.data(), n);
    pipe_.erase(0, n);
    *count = static_cast<uint32_t>(n);
    return true;
  }
  bool HasEnded() override { return ended_; }
  void WaitForActivity(uint32_t ms) override {
    EXPECT_EQ(ms, kPollIntervalMs);
    if (++waits > 1000) {  // a loop that never ends: stop it so the test can fail
      ADD_FAILURE() << "the transfer did not end";
      ended_ = pipeClosed_ = true;
      pipe_.clear();
    }
    RunToPause();
  }
  void Close() override {
    ++closes;
    endedAtClose = ended_;
  }

 private:
  void RunToPause() {
    while (next_ < script.size()) {
      const Action& action = script[next_++];
      switch (action.kind) {
        case Action::Write: pipe_ += action.bytes; break;
        case Action::Pause: return;
        case Action::End: ended_ = true; break;
        case Action::ClosePipe: pipeClosed_ = true; break;
        case Action::ShortRead: readLimit_ = action.limit; break;
      }
    }
  }

  size_t next_ = 0;
  std::string pipe_;
  bool pipeClosed_ = false, ended_ = false;
  uint32_t readLimit_ = 0;
};

class RecordingWindow : public TransferWindow {
 public:
  std::vector<std::string> calls;
  std::string log;
  int eventPasses = 0;
  // Runs in each event pass with its number; its result is the window's "still there".
  std::function<bool(int)> onEvents;

  void SetPosition(int32_t value) override { calls.push_back("position " + std::to_string(value)); }
  void SetCaption(const std::string& control, const std::string& text) override {
    calls.push_back("caption " + control + " " + text);
  }
  void AppendLog(const std::string& text) override {
    log += text;
    calls.push_back("log " + text);
  }
  void MoveLogCaretToEnd() override { calls.push_back("caret"); }
  void ShowMessage(const std::string& text, const std::string& title) override {
    calls.push_back("message " + text + " / " + title);
  }
  void SetTransferButtonEnabled(bool enabled) override { calls.push_back(enabled ? "button on" : "button off"); }
  bool ProcessPendingEvents() override {
    ++eventPasses;
    return onEvents ? onEvents(eventPasses) : true;
  }
};

const std::vector<std::string> kResets = {"button off", "position 0", "caret",
                                          std::string("caption ") + control::kPercentLabel + " 0 %"};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct CheckCase {
  const char* name;
  std::string address, filePath;
  const char* message;  // nullptr: the checks pass and the sender is started
};

TEST(DriveTransfer, ChecksTheWholeTextsBeforeStarting) {
  const CheckCase cases[] = {
      {"address prompt", "输入 IP 地址", "D:\\a.cia", transfer_text::kBadAddressMessage},
      {"both empty: the address is checked first", "", "", transfer_text::kBadAddressMessage},
      {"file prompt", "192.168.1.5", "选择文件或拖放 CIA 文件到这里！", transfer_text::kBadFileMessage},
      {"capital letters only", "192.168.1.5", "D:\\A.CIA", transfer_text::kBadFileMessage},
      {"a lone dot is an address", ".", "D:\\a.cia", nullptr},
      {".cia in the middle", "1.2", "D:\\a.cia.bak", nullptr},
      {".cia in the second of two paths", "1.2", "D:\\a.txt\r\nD:\\b.cia\r\n", nullptr},
  };
  for (const CheckCase& c : cases) {
    RecordingWindow window;
    FakeChannel channel;
    channel.script = {ClosePipe(), End()};
    DriveTransfer(window, channel, c.address, c.filePath);
    if (c.message) {
      EXPECT_EQ(channel.starts, 0) << c.name;
      EXPECT_EQ(window.calls, Concat(kResets, {std::string("message ") + c.message + " / 提示", "button on"}))
          << c.name;
    } else {
      EXPECT_EQ(channel.starts, 1) << c.name;
      EXPECT_EQ(window.calls.back(), "button on") << c.name;
    }
  }
}

TEST(DriveTransfer, StartsTheSenderFromTheRunDirectoryWithOneArgumentPerPath) {
  RecordingWindow window;
  FakeChannel channel;
  channel.runDirectory = "C:\\My Kit";
  channel.script = {End(), ClosePipe()};
  DriveTransfer(window, channel, "192.168.1.5", "D:\\游戏 1.cia\r\n\r\nD:\\b&c.cia\r\n");
  EXPECT_EQ(channel.program, "C:\\My Kit\\sockfilego.exe");
  EXPECT_EQ(channel.commandLine, "\"C:\\My Kit\\sockfilego.exe\" 192.168.1.5 \"D:\\游戏 1.cia\" D:\\b&c.cia");
}

TEST(DriveTransfer, ReportsAFailedStartInTheLog) {
  RecordingWindow window;
  FakeChannel channel;
  channel.startSucceeds = false;
  channel.startError = "系统找不到指定的文件。";
  DriveTransfer(window, channel, "1.2.3.4", "a.cia");
  EXPECT_EQ(window.calls, Concat(kResets, {"log 无法启动 sockfilego.exe：系统找不到指定的文件。\r\n", "button on"}));
  EXPECT_EQ(channel.closes, 0);  // nothing was left open
}

struct StreamCase {
  const char* name;
  std::vector<Action> script;
  std::string log;
};

TEST(DriveTransfer, ShowsEveryChunkOnceUntilTheSenderHasEndedAndThePipeIsDrained) {
  const std::string longOutput = std::string(1023, 'a') + std::string(1023, 'b') + std::string(454, 'c');
  const StreamCase cases[] = {
      {"chunks with pauses between", {Write("one"), Pause(), Write("two"), Pause(), End(), ClosePipe()},
       "one\r\ntwo\r\n"},
      {"output still waiting when the sender ends", {Write("one"), Pause(), Write("tail"), End(), ClosePipe()},
       "one\r\ntail\r\n"},
      {"more than one read's worth", {Write(longOutput), End(), ClosePipe()},
       std::string(1023, 'a') + "\r\n" + std::string(1023, 'b') + "\r\n" + std::string(454, 'c') + "\r\n"},
      {"a read that takes less than is waiting", {Write("abcdef"), ShortRead(3), End(), ClosePipe()},
       "abc\r\ndef\r\n"},
      {"no empty line once the pipe is closed", {Write("abc"), Pause(), End(), Pause(), ClosePipe()},
       "abc\r\n"},
      {"a child still writing after the sender ended",
       {Write("one"), End(), Pause(), Pause(), Write("late"), Pause(), ClosePipe()}, "one\r\nlate\r\n"},
      {"pipe closed before the sender ended", {Write("one"), ClosePipe(), Pause(), Pause(), End()}, "one\r\n"},
      {"silent sender", {Pause(), End(), ClosePipe()}, ""},
  };
  for (const StreamCase& c : cases) {
    RecordingWindow window;
    FakeChannel channel;
    channel.script = c.script;
    DriveTransfer(window, channel, "1.2.3.4", "a.cia");
    EXPECT_EQ(window.log, c.log) << c.name;
    EXPECT_EQ(channel.closes, 1) << c.name;
    EXPECT_TRUE(channel.endedAtClose) << c.name;
    EXPECT_EQ(window.calls.back(), "button on") << c.name;
  }
}

TEST(DriveTransfer, AppliesEachChunksStepsInOrderAndGoesOnAfterAResultMessage) {
  RecordingWindow window;
  FakeChannel channel;
  channel.script = {Write("Sending 45 % 512 KB/s 0h1m2s"), Pause(), Write("Install cia file success"), Pause(),
                    Write("bye"), End(), ClosePipe()};
  DriveTransfer(window, channel, "1.2.3.4", "a.cia");
  std::vector<std::string> expected = kResets;
  for (const char* chunk : {"Sending 45 % 512 KB/s 0h1m2s", "Install cia file success", "bye"}) {
    for (const DisplayStep& step : InterpretChunk(chunk).steps) {
      switch (step.kind) {
        case StepKind::AppendLog: expected.push_back("log " + step.text); break;
        case StepKind::SetPosition: expected.push_back("position " + std::to_string(step.number)); break;
        case StepKind::SetCaption: expected.push_back("caption " + step.control + " " + step.text); break;
        case StepKind::ShowMessage: expected.push_back("message " + step.text + " / " + step.title); break;
      }
    }
  }
  expected.push_back("button on");
  EXPECT_EQ(window.calls, expected);
  // The steps do reach the window: progress, then the message, then more output.
  EXPECT_NE(std::find(window.calls.begin(), window.calls.end(), "position 45"), window.calls.end());
  auto message = std::find(window.calls.begin(), window.calls.end(),
                           std::string("message ") + sender_text::kInstalledMessage + " / 提示");
  auto bye = std::find(window.calls.begin(), window.calls.end(), "log bye\r\n");
  EXPECT_LT(message, bye);
}

TEST(DriveTransfer, WaitsBetweenPassesAndKeepsTheWindowLive) {
  RecordingWindow window;
  FakeChannel channel;
  channel.script = {Pause(), Pause(), Pause(), Pause(), Pause(), End(), ClosePipe()};
  DriveTransfer(window, channel, "1.2.3.4", "a.cia");
  EXPECT_EQ(channel.waits, 5);
  EXPECT_EQ(window.eventPasses, 5);
}

TEST(DriveTransfer, IgnoresASecondTransferWhileOneRuns) {
  RecordingWindow window;
  FakeChannel channel, second;
  channel.script = {Write("one"), Pause(), Write("two"), End(), ClosePipe()};
  second.script = {End(), ClosePipe()};
  size_t callsBefore = 0, callsAfter = 0;
  window.onEvents = [&](int pass) {
    if (pass == 1) {
      callsBefore = window.calls.size();
      DriveTransfer(window, second, "5.6.7.8", "b.cia");  // a click that got through
      callsAfter = window.calls.size();
    }
    return true;
  };
  DriveTransfer(window, channel, "1.2.3.4", "a.cia");
  EXPECT_EQ(second.starts, 0);
  EXPECT_EQ(callsAfter, callsBefore);
  EXPECT_EQ(window.log, "one\r\ntwo\r\n");
  EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "button off"), 1);
  EXPECT_EQ(window.calls.back(), "button on");

  // Once it is over, the next transfer runs.
  RecordingWindow later;
  DriveTransfer(later, second, "5.6.7.8", "b.cia");
  EXPECT_EQ(second.starts, 1);
}

TEST(DriveTransfer, StopsAndEndsTheSenderWhenTheWindowGoesAway) {
  RecordingWindow window;
  FakeChannel channel;
  channel.script = {Write("one"), Pause(), Write(std::string(5000, 'x')), Pause()};  // never ends by itself
  window.onEvents = [](int pass) { return pass < 3; };  // gone with output waiting
  DriveTransfer(window, channel, "1.2.3.4", "a.cia");
  EXPECT_EQ(window.eventPasses, 3);
  EXPECT_EQ(channel.closes, 1);
  EXPECT_FALSE(channel.endedAtClose);
  EXPECT_EQ(window.log, "one\r\n" + std::string(1023, 'x') + "\r\n");
  EXPECT_EQ(window.calls.back(), "button on");

  RecordingWindow later;  // the next transfer is not refused
  FakeChannel next;
  next.script = {End(), ClosePipe()};
  DriveTransfer(later, next, "1.2.3.4", "a.cia");
  EXPECT_EQ(next.starts, 1);
}

}  // namespace
