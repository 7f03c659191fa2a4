// The sender's progress report, e.g. "Sending 45 % 512 KB/s 0h1m2s".
//
// The installer reads it by position: the percent between the first space and the
// first " %", the speed between the first "% " and the first " KB/s", and the time
// after the first "/s" and the space behind it. So the report starts with one word,
// holds nothing else, and carries no line end of its own.
#pragma once

#include <cstdint>
#include <string>

// Whole seconds as "XhYmZs"; negative counts as 0.
std::string FormatTimeLeft(int64_t seconds);

std::string ProgressText(int percent, int64_t kilobytesPerSecond, int64_t secondsLeft);

// Decides when a file's progress is reported and with what numbers: about once a
// second, and once when the last byte has gone.
class ProgressMeter {
 public:
  ProgressMeter(int64_t totalBytes, int64_t startMs);
  // After more bytes went out: true and the report in *text when one is due.
  bool Update(int64_t sentBytes, int64_t nowMs, std::string* text);

  static constexpr int64_t kIntervalMs = 1000;

 private:
  int64_t total_;
  int64_t startMs_;
  int64_t lastMs_;
  int64_t lastBytes_ = 0;
  bool finished_ = false;
};
