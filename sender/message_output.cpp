#include "sender/message_output.h"

#include <utility>

MessageOutput::MessageOutput(bool terminal, Sink sink) : terminal_(terminal), sink_(std::move(sink)) {}

void MessageOutput::Message(std::string_view text) {
  if (!terminal_) return Write(std::string(text));
  std::string line = progressLineOpen_ ? "\n" : "";
  line.append(text);
  line += '\n';
  progressLineOpen_ = false;
  Write(std::move(line));
}

void MessageOutput::Progress(std::string_view text) {
  if (!terminal_) return Write(std::string(text));
  // Carriage return, the report, and blanks over what a longer report left.
  std::string line = "\r";
  line.append(text);
  line += "   ";
  progressLineOpen_ = true;
  Write(std::move(line));
}

void MessageOutput::Write(std::string text) {
  if (!terminal_ && wroteBefore_) {
    int64_t waited = sink_.nowMs() - lastWriteMs_;
    if (waited < kPipeGapMs) sink_.sleepMs(static_cast<int>(kPipeGapMs - waited));
  }
  sink_.write(text);
  wroteBefore_ = true;
  lastWriteMs_ = sink_.nowMs();
}
