// Writes the sender's messages to standard output in the form its reader needs.
//
// Into a pipe or a file (the installer reads each read of its pipe as one chunk and
// puts "\r\n" behind it): every message is one write with no line end, and at least
// kPipeGapMs pass between two writes so that each read finds one message alone.
// On a terminal: messages end with a line break and progress redraws one line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class MessageOutput {
 public:
  struct Sink {
    std::function<void(std::string_view)> write;  // one write, unbuffered
    std::function<int64_t()> nowMs;
    std::function<void(int)> sleepMs;
  };

  MessageOutput(bool terminal, Sink sink);

  void Message(std::string_view text);
  void Progress(std::string_view text);

  static constexpr int kPipeGapMs = 150;

 private:
  void Write(std::string text);

  bool terminal_;
  Sink sink_;
  bool progressLineOpen_ = false;
  bool wroteBefore_ = false;
  int64_t lastWriteMs_ = 0;
};
