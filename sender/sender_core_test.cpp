#include <gtest/gtest.h>

#include <set>

#include "installer/sender_output.h"
#include "sender/arguments.h"
#include "sender/console_sim.h"
#include "sender/message_output.h"
#include "sender/progress_text.h"

namespace {

TEST(ProgressText, TimeLeftIsHoursMinutesSeconds) {
  struct Case {
    int64_t seconds;
    const char* text;
  } cases[] = {{0, "0h0m0s"}, {62, "0h1m2s"}, {3661, "1h1m1s"}, {100 * 3600 + 59, "100h0m59s"}, {-5, "0h0m0s"}};
  for (const Case& c : cases) EXPECT_EQ(FormatTimeLeft(c.seconds), c.text) << c.seconds;
}

// The report must give the installer the numbers it shows, read its way.
TEST(ProgressText, InstallerReadsTheNumbersBack) {
  struct Case {
    int percent;
    int64_t speed, seconds;
  } cases[] = {{0, 0, 0}, {45, 512, 62}, {100, 1234567, 0}, {7, 3, 4000}};
  for (const Case& c : cases) {
    std::string text = ProgressText(c.percent, c.speed, c.seconds);
    std::vector<DisplayStep> steps = InterpretChunk(text).steps;
    ASSERT_EQ(steps.size(), 5u) << text;
    EXPECT_EQ(steps[1].number, c.percent) << text;
    EXPECT_EQ(steps[2].text, std::to_string(c.speed) + " KB/s") << text;
    EXPECT_EQ(steps[3].text, FormatTimeLeft(c.seconds)) << text;
    EXPECT_EQ(steps[4].text, std::to_string(c.percent) + " %") << text;
  }
  EXPECT_EQ(ProgressText(45, 512, 62), "Sending 45 % 512 KB/s 0h1m2s");
}

TEST(ProgressMeter, ReportsAboutOnceASecondAndOnceAtTheEnd) {
  const int64_t total = 10 * 1024 * 1024;
  ProgressMeter meter(total, 1000);
  std::string text;
  struct Step {
    int64_t sent, nowMs;
    const char* report;  // nullptr: none due
  } steps[] = {
      {1024 * 1024, 1500, nullptr},                               // under a second
      {2 * 1024 * 1024, 2000, "Sending 20 % 2048 KB/s 0h0m4s"},   // 2 MiB in the first second
      {3 * 1024 * 1024, 2999, nullptr},
      {4 * 1024 * 1024, 3000, "Sending 40 % 2048 KB/s 0h0m3s"},   // 6 MiB left at 2 MiB/s
      {total, 3100, "Sending 100 % 4876 KB/s 0h0m0s"},           // too soon to measure: 10 MiB in 2.1 s
      {total, 5000, nullptr},                                     // 100 % only once
  };
  for (const Step& s : steps) {
    bool due = meter.Update(s.sent, s.nowMs, &text);
    EXPECT_EQ(due, s.report != nullptr) << s.nowMs;
    if (due && s.report) {
      EXPECT_EQ(text, s.report);
    }
  }
}

TEST(ProgressMeter, WholeFileAtOnceGivesOneFullReport) {
  ProgressMeter meter(13, 50);
  std::string text;
  ASSERT_TRUE(meter.Update(13, 50, &text));  // no time passed: no division by zero
  EXPECT_EQ(text.rfind("Sending 100 % ", 0), 0u) << text;
}

TEST(ConsoleAddress, ParsesHostAndPort) {
  struct Case {
    const char* text;
    bool ok;
    const char* host;
    uint16_t port;
  } cases[] = {
      {"192.168.1.5", true, "192.168.1.5", 5000},  {"192.168.1.5:5001", true, "192.168.1.5", 5001},
      {"console.lan:65535", true, "console.lan", 65535}, {":5000", false, "", 0},
      {"", false, "", 0},                            {"1.2.3.4:", false, "", 0},
      {"1.2.3.4:0", false, "", 0},                   {"1.2.3.4:65536", false, "", 0},
      {"1.2.3.4:12a", false, "", 0},                 {"1.2.3.4:5000:1", false, "", 0},
  };
  for (const Case& c : cases) {
    ConsoleAddress address;
    std::string problem;
    EXPECT_EQ(ParseConsoleAddress(c.text, &address, &problem), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(address.host, c.host);
      EXPECT_EQ(address.port, c.port);
    } else {
      EXPECT_FALSE(problem.empty()) << c.text;
    }
  }
}

TEST(FileArguments, RejoinsPathsThatSpacesSplit) {
  std::set<std::string> existing = {"a.cia", "my game.cia", "x  y.cia", "b.cia"};
  auto isFile = [&](const std::string& path) { return existing.count(path) > 0; };
  using Paths = std::vector<std::string>;
  struct Case {
    Paths given, expected;
  } cases[] = {
      {{"a.cia", "b.cia"}, {"a.cia", "b.cia"}},
      {{"my", "game.cia"}, {"my game.cia"}},
      {{"a.cia", "my", "game.cia", "b.cia"}, {"a.cia", "my game.cia", "b.cia"}},
      {{"missing.cia", "a.cia"}, {"missing.cia", "a.cia"}},  // reported as missing later
      {{"x", "y.cia"}, {"x", "y.cia"}},                      // two spaces are lost: no guess
  };
  for (const Case& c : cases) EXPECT_EQ(JoinSplitPaths(c.given, isFile), c.expected);
}

TEST(FileArguments, DisplayNameIsTheLastPartAndNeverAMarker) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"/tmp/games/a b.cia", "a b.cia"},
      {"C:\\games\\Zelda.cia", "Zelda.cia"},
      {"plain.cia", "plain.cia"},
      {"/tmp/cia file failed.cia", "(a file whose name is not shown)"},
      {"/tmp/Install cia file success.cia", "(a file whose name is not shown)"},
  };
  for (const Case& c : cases) EXPECT_EQ(DisplayName(c.path), c.name) << c.path;
}

TEST(FileArguments, InstallableHeaders) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view bytes;
    bool ok;
  } cases[] = {{"\x20\x20rest"sv, true}, {"\x00\x01"sv, true},  {"\x01\x00"sv, false},
               {"\x20"sv, false},        {""sv, false},          {"PK\x03\x04"sv, false}};
  for (const Case& c : cases) EXPECT_EQ(HasInstallableHeader(c.bytes), c.ok) << testing::PrintToString(c.bytes);
}

struct FakeSink {
  std::vector<std::string> writes;
  std::vector<int64_t> writeTimes;
  int64_t now = 0;
  MessageOutput::Sink Make() {
    return {[this](std::string_view text) {
              writes.emplace_back(text);
              writeTimes.push_back(now);
            },
            [this] { return now; }, [this](int ms) { now += ms; }};
  }
};

TEST(MessageOutput, PipeGetsOneBareWritePerMessageWithGaps) {
  FakeSink sink;
  MessageOutput out(false, sink.Make());
  out.Message("Connecting to 1.2.3.4:5000");
  sink.now += 20;
  out.Progress("Sending 1 % 2 KB/s 0h0m3s");
  sink.now += 1000;
  out.Progress("Sending 100 % 2 KB/s 0h0m0s");
  out.Message("Result: Install cia file success (1 file sent)");
  EXPECT_EQ(sink.writes, (std::vector<std::string>{"Connecting to 1.2.3.4:5000", "Sending 1 % 2 KB/s 0h0m3s",
                                                   "Sending 100 % 2 KB/s 0h0m0s",
                                                   "Result: Install cia file success (1 file sent)"}));
  for (size_t i = 1; i < sink.writeTimes.size(); ++i) {
    EXPECT_GE(sink.writeTimes[i] - sink.writeTimes[i - 1], 100) << i;
  }
}

TEST(MessageOutput, TerminalRedrawsProgressOnOneLine) {
  FakeSink sink;
  MessageOutput out(true, sink.Make());
  out.Message("File 1 of 1: a.cia (3 bytes)");
  out.Progress("Sending 50 % 1 KB/s 0h0m1s");
  out.Progress("Sending 100 % 1 KB/s 0h0m0s");
  out.Message("Result: done");
  EXPECT_EQ(sink.writes, (std::vector<std::string>{"File 1 of 1: a.cia (3 bytes)\n", "\rSending 50 % 1 KB/s 0h0m1s   ",
                                                   "\rSending 100 % 1 KB/s 0h0m0s   ", "\nResult: done\n"}));
  EXPECT_EQ(sink.now, 0);  // no pauses on a terminal
}

TEST(ConsoleSimOptions, ParsesModesAndRejectsNonsense) {
  struct Case {
    std::vector<std::string> arguments;
    bool ok;
    SimMode mode;
    int64_t value;
  } cases[] = {
      {{"--port", "0", "--out", "/tmp/x", "--sessions", "3"}, true, SimMode::Accept, 0},
      {{"--mode", "decline"}, true, SimMode::Decline, 0},
      {{"--mode", "drop:1000"}, true, SimMode::Drop, 1000},
      {{"--mode", "slow:2048"}, true, SimMode::Slow, 2048},
      {{"--mode", "never-confirm"}, true, SimMode::NeverConfirm, 0},
      {{"--mode", "slow:0"}, false, SimMode::Accept, 0},
      {{"--mode", "drop:"}, false, SimMode::Accept, 0},
      {{"--mode", "quick"}, false, SimMode::Accept, 0},
      {{"--port", "70000"}, false, SimMode::Accept, 0},
      {{"--port"}, false, SimMode::Accept, 0},
      {{"--colour", "red"}, false, SimMode::Accept, 0},
  };
  for (const Case& c : cases) {
    ConsoleSimOptions options;
    std::string problem;
    ASSERT_EQ(ParseConsoleSimOptions(c.arguments, &options, &problem), c.ok) << testing::PrintToString(c.arguments);
    if (!c.ok) continue;
    EXPECT_EQ(options.mode, c.mode);
    if (c.mode == SimMode::Drop) {
      EXPECT_EQ(options.dropAfter, c.value);
    }
    if (c.mode == SimMode::Slow) {
      EXPECT_EQ(options.bytesPerSecond, c.value);
    }
  }
}

}  // namespace
