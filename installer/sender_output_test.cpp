#include "installer/sender_output.h"

#include <gtest/gtest.h>

#include "installer/control_names.h"

namespace {

DisplayStep Log(const std::string& text) {
  DisplayStep s;
  s.kind = StepKind::AppendLog;
  s.control = control::kLogBox;
  s.text = text;
  return s;
}
DisplayStep Pos(int32_t n) {
  DisplayStep s;
  s.kind = StepKind::SetPosition;
  s.control = control::kProgressBar;
  s.number = n;
  return s;
}
DisplayStep Cap(const char* control, const std::string& text) {
  DisplayStep s;
  s.kind = StepKind::SetCaption;
  s.control = control;
  s.text = text;
  return s;
}
DisplayStep Speed(const std::string& t) { return Cap(control::kSpeedLabel, t); }
DisplayStep Time(const std::string& t) { return Cap(control::kTimeLabel, t); }
DisplayStep Percent(const std::string& t) { return Cap(control::kPercentLabel, t); }
DisplayStep Msg(Outcome outcome) {
  DisplayStep s;
  s.kind = StepKind::ShowMessage;
  s.title = sender_text::kMessageTitle;
  s.outcome = outcome;
  s.text = outcome == Outcome::TransferFailed     ? sender_text::kTransferFailedMessage
           : outcome == Outcome::ConnectionFailed ? sender_text::kConnectionFailedMessage
                                                  : sender_text::kInstalledMessage;
  return s;
}

std::vector<DisplayStep> Steps(std::initializer_list<std::vector<DisplayStep>> groups) {
  std::vector<DisplayStep> all;
  for (const auto& g : groups) all.insert(all.end(), g.begin(), g.end());
  return all;
}
const std::vector<DisplayStep> kFailReset = {Pos(0), Speed("0 KB/s"), Time("0h0m0s"), Percent("0 %")};
const std::vector<DisplayStep> kSuccessReset = {Pos(0), Speed("0 KB/s"), Time("0h0m0s")};

std::string StepText(const DisplayStep& s) {
  return std::to_string(static_cast<int>(s.kind)) + " [" + s.control + "] " + std::to_string(s.number) + " '" +
         s.text + "' '" + s.title + "' " + std::to_string(static_cast<int>(s.outcome));
}

struct Case {
  const char* name;
  std::string chunk;
  std::vector<DisplayStep> expected;
};

TEST(InterpretChunk, GivesTheStepsInOrder) {
  const std::string report = "Sending 45 % 512 KB/s 0h1m2s";
  const Case cases[] = {
      {"empty chunk", "", {Log("\r\n")}},
      {"plain text", "Connecting", {Log("Connecting\r\n")}},
      {"progress report", report,
       {Log(report + "\r\n"), Pos(45), Speed("512 KB/s"), Time("0h1m2s"), Percent("45 %")}},
      {"marker at position 1 is no report", "KB/s 45 % 1 KB/s x", {Log("KB/s 45 % 1 KB/s x\r\n")}},
      {"report without ' %'", "a 7 KB/s x", {Log("a 7 KB/s x\r\n"), Pos(0), Speed(" KB/s"), Time("x"), Percent(" %")}},
      {"chunk starts with the percent", "5 % 9 KB/s 0h0m1s",
       {Log("5 % 9 KB/s 0h0m1s\r\n"), Pos(0), Speed("9 KB/s"), Time("0h0m1s"), Percent(" %")}},
      {"'/s' at the very end", "x 1 % 2 KB/s", {Log("x 1 % 2 KB/s\r\n"), Pos(1), Speed("2 KB/s"), Time(""), Percent("1 %")}},
      {"'/s' and one byte", "x 1 % 2 KB/s ", {Log("x 1 % 2 KB/s \r\n"), Pos(1), Speed("2 KB/s"), Time(""), Percent("1 %")}},
      {"the time runs to the end of the chunk", "x 1 % 2 KB/s 0h0m3s\r\nx 2 % 3 KB/s 0h0m2s",
       {Log("x 1 % 2 KB/s 0h0m3s\r\nx 2 % 3 KB/s 0h0m2s\r\n"), Pos(1), Speed("2 KB/s"),
        Time("0h0m3s\r\nx 2 % 3 KB/s 0h0m2s"), Percent("1 %")}},
      {"percent above 100 is passed on unclamped", "x 250 % 1 KB/s 0h0m0s",
       {Log("x 250 % 1 KB/s 0h0m0s\r\n"), Pos(250), Speed("1 KB/s"), Time("0h0m0s"), Percent("250 %")}},
      {"transfer failed", "Error: send cia file failed (cancelled)",
       Steps({{Log("Error: send cia file failed (cancelled)\r\n")}, kFailReset, {Msg(Outcome::TransferFailed)}})},
      {"connection failed", "Error: A connection attempt failed",
       Steps({{Log("Error: A connection attempt failed\r\n")}, kFailReset, {Msg(Outcome::ConnectionFailed)}})},
      {"installed", "Done. Install cia file success",
       Steps({{Log("Done. Install cia file success\r\n")}, kSuccessReset, {Msg(Outcome::Installed)}})},
      // A phrase at the start of a write is a result too.
      {"phrase at position 1", "cia file failed",
       Steps({{Log("cia file failed\r\n")}, kFailReset, {Msg(Outcome::TransferFailed)}})},
      {"phrase at position 1 (success)", "Install cia file success",
       Steps({{Log("Install cia file success\r\n")}, kSuccessReset, {Msg(Outcome::Installed)}})},
      {"phrase in other letter case", "x CIA FILE FAILED", {Log("x CIA FILE FAILED\r\n")}},
      {"failure and success in one chunk", "x cia file failed Install cia file success",
       Steps({{Log("x cia file failed Install cia file success\r\n")}, kFailReset, {Msg(Outcome::TransferFailed)},
              kSuccessReset, {Msg(Outcome::Installed)}})},
      {"report and success in one chunk", "x 100 % 9 KB/s 0h0m0s Install cia file success",
       Steps({{Log("x 100 % 9 KB/s 0h0m0s Install cia file success\r\n"), Pos(100), Speed("9 KB/s"),
               Time("0h0m0s Install cia file success"), Percent("100 %")},
              kSuccessReset,
              {Msg(Outcome::Installed)}})},
  };
  for (const Case& c : cases) {
    std::vector<DisplayStep> steps = InterpretChunk(c.chunk).steps;
    ASSERT_EQ(steps.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < steps.size(); ++i) {
      EXPECT_EQ(steps[i], c.expected[i]) << c.name << ", step " << i << ": got " << StepText(steps[i]);
    }
  }
}

TEST(InterpretChunk, MessagesAreGbk) {
  // "提示" and the last character of each message, in code page 936.
  EXPECT_EQ(std::string(sender_text::kMessageTitle), "\xCC\xE1\xCA\xBE");
  std::string installed = sender_text::kInstalledMessage;
  EXPECT_EQ(installed.substr(installed.size() - 2), "\xA3\xA1");  // full-width "!"
  EXPECT_EQ(std::string(control::kLogBox), "\xB1\xE0\xBC\xAD\xBF\xF2" "1");
}

}  // namespace
