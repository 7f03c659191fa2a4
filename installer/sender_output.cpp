#include "installer/sender_output.h"

#include "installer/control_names.h"
#include "text/text_ops.h"

namespace {

DisplayStep Position(int32_t value) {
  DisplayStep step;
  step.kind = StepKind::SetPosition;
  step.control = control::kProgressBar;
  step.number = value;
  return step;
}

DisplayStep Caption(const char* control, std::string text) {
  DisplayStep step;
  step.kind = StepKind::SetCaption;
  step.control = control;
  step.text = std::move(text);
  return step;
}

DisplayStep Message(const char* text, Outcome outcome) {
  DisplayStep step;
  step.kind = StepKind::ShowMessage;
  step.text = text;
  step.title = sender_text::kMessageTitle;
  step.outcome = outcome;
  return step;
}

// Progress bar and speed/time captions back to idle; the percent caption too
// unless the result is a success, which keeps the last percent shown.
void AddResetSteps(std::vector<DisplayStep>& steps, bool resetPercent) {
  steps.push_back(Position(0));
  steps.push_back(Caption(control::kSpeedLabel, sender_text::kIdleSpeed));
  steps.push_back(Caption(control::kTimeLabel, sender_text::kIdleTime));
  if (resetPercent) steps.push_back(Caption(control::kPercentLabel, sender_text::kIdlePercent));
}

void AddProgressSteps(std::vector<DisplayStep>& steps, std::string_view chunk) {
  std::string percent = TextBetween(chunk, " ", " %");
  steps.push_back(Position(TextToInt(percent)));
  steps.push_back(Caption(control::kSpeedLabel, JoinText(TextBetween(chunk, "% ", " KB/s"), " KB/s")));
  // The time is the rest of the chunk after the first "/s" and the byte behind it.
  int timeLength = TextLength(chunk) - FindText(chunk, "/s") - 2;
  steps.push_back(Caption(control::kTimeLabel, RightText(chunk, timeLength)));
  steps.push_back(Caption(control::kPercentLabel, JoinText(percent, " %")));
}

}  // namespace

ChunkResult InterpretChunk(std::string_view chunk) {
  ChunkResult result;
  std::vector<DisplayStep>& steps = result.steps;

  DisplayStep echo;
  echo.kind = StepKind::AppendLog;
  echo.control = control::kLogBox;
  echo.text = JoinText(chunk, "\r\n");
  steps.push_back(std::move(echo));

  // A marker at position 1 does not make a progress report.
  if (FindText(chunk, "KB/s") > 1) AddProgressSteps(steps, chunk);

  // Result phrases count wherever they stand, the very start included.
  if (FindText(chunk, sender_text::kTransferFailedPhrase) > 0) {
    AddResetSteps(steps, true);
    steps.push_back(Message(sender_text::kTransferFailedMessage, Outcome::TransferFailed));
  }
  if (FindText(chunk, sender_text::kConnectionFailedPhrase) > 0) {
    AddResetSteps(steps, true);
    steps.push_back(Message(sender_text::kConnectionFailedMessage, Outcome::ConnectionFailed));
  }
  if (FindText(chunk, sender_text::kInstalledPhrase) > 0) {
    AddResetSteps(steps, false);
    steps.push_back(Message(sender_text::kInstalledMessage, Outcome::Installed));
  }
  return result;
}
