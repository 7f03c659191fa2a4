#include "sender/progress_text.h"

std::string FormatTimeLeft(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  return std::to_string(seconds / 3600) + "h" + std::to_string(seconds / 60 % 60) + "m" +
         std::to_string(seconds % 60) + "s";
}

std::string ProgressText(int percent, int64_t kilobytesPerSecond, int64_t secondsLeft) {
  return "Sending " + std::to_string(percent) + " % " + std::to_string(kilobytesPerSecond) + " KB/s " +
         FormatTimeLeft(secondsLeft);
}

ProgressMeter::ProgressMeter(int64_t totalBytes, int64_t startMs)
    : total_(totalBytes), startMs_(startMs), lastMs_(startMs) {}

bool ProgressMeter::Update(int64_t sentBytes, int64_t nowMs, std::string* text) {
  bool done = sentBytes >= total_;
  if (finished_ || (!done && nowMs - lastMs_ < kIntervalMs)) return false;
  finished_ = done;

  // The speed of the last interval; when that was too short to measure (the last
  // bytes right after a report), the average since the start.
  int64_t elapsedMs = nowMs - lastMs_;
  int64_t bytes = sentBytes - lastBytes_;
  if (elapsedMs < 200) {
    elapsedMs = nowMs - startMs_;
    bytes = sentBytes;
  }
  if (elapsedMs < 1) elapsedMs = 1;
  double bytesPerSecond = static_cast<double>(bytes) * 1000.0 / static_cast<double>(elapsedMs);

  int64_t remaining = total_ - sentBytes;
  int64_t secondsLeft = 0;
  if (remaining > 0 && bytesPerSecond > 0) {
    secondsLeft = static_cast<int64_t>(static_cast<double>(remaining) / bytesPerSecond + 0.999);
  }
  int percent = total_ > 0 ? static_cast<int>(sentBytes * 100 / total_) : 100;
  if (percent > 100) percent = 100;
  *text = ProgressText(percent, static_cast<int64_t>(bytesPerSecond / 1024.0), secondsLeft);
  lastMs_ = nowMs;
  lastBytes_ = sentBytes;
  return true;
}
