#include "installer/transfer.h"

#include <vector>

#include "installer/command_line.h"
#include "installer/control_names.h"
#include "installer/sender_output.h"
#include "text/text_ops.h"

namespace {

bool g_transferRunning = false;

// Disables the transfer button for as long as the transfer runs, however it ends.
class TransferGuard {
 public:
  explicit TransferGuard(TransferWindow& window) : window_(window) {
    g_transferRunning = true;
    window_.SetTransferButtonEnabled(false);
  }
  ~TransferGuard() {
    window_.SetTransferButtonEnabled(true);
    g_transferRunning = false;
  }
  TransferGuard(const TransferGuard&) = delete;
  TransferGuard& operator=(const TransferGuard&) = delete;

 private:
  TransferWindow& window_;
};

void ApplyStep(TransferWindow& window, const DisplayStep& step) {
  switch (step.kind) {
    case StepKind::AppendLog:
      window.AppendLog(step.text);
      break;
    case StepKind::SetPosition:
      window.SetPosition(step.number);
      break;
    case StepKind::SetCaption:
      window.SetCaption(step.control, step.text);
      break;
    case StepKind::ShowMessage:
      window.ShowMessage(step.text, step.title);
      break;
  }
}

// Each non-empty path of the file box's text, in order.
std::vector<std::string> SplitPaths(std::string_view filePath) {
  std::vector<std::string> paths;
  for (std::string& piece : SplitText(filePath, "\r\n")) {
    if (!piece.empty()) paths.push_back(std::move(piece));
  }
  return paths;
}

// Reads and shows the sender's output until it has ended and its pipe is
// drained, or until the window goes away.
void StreamOutput(TransferWindow& window, SenderChannel& channel) {
  bool pipeOpen = true;
  bool ended = false;
  for (;;) {
    // Asked before the pipe: whatever the sender wrote before it ended is then
    // already in the pipe, and the pipe's close is what ends the loop.
    if (!ended) ended = channel.HasEnded();
    bool tookOutput = false;
    if (pipeOpen) {
      uint32_t available = 0;
      if (!channel.Peek(&available)) {
        pipeOpen = false;
      } else if (available > 0) {
        ByteBuffer buffer = BlankBytes(kChunkCapacity + 1);
        uint32_t count = 0;
        if (!channel.Read(buffer.data(), kChunkCapacity, &count)) {
          pipeOpen = false;
        } else if (count > 0) {
          tookOutput = true;
          for (const DisplayStep& step : InterpretChunk(BytesToText(buffer)).steps) ApplyStep(window, step);
        }
      }
    }
    if (ended && !pipeOpen) return;
    if (!window.ProcessPendingEvents()) return;
    // More output may be waiting right away; otherwise rest until something happens.
    if (!tookOutput) channel.WaitForActivity(kPollIntervalMs);
  }
}

}  // namespace

void DriveTransfer(TransferWindow& window, SenderChannel& channel, std::string_view address,
                   std::string_view filePath) {
  if (g_transferRunning) return;
  TransferGuard guard(window);

  window.SetPosition(0);
  window.MoveLogCaretToEnd();  // the log keeps what earlier transfers wrote
  window.SetCaption(control::kPercentLabel, sender_text::kIdlePercent);

  if (FindText(address, ".") == -1) {
    window.ShowMessage(transfer_text::kBadAddressMessage, transfer_text::kCheckTitle);
    return;
  }
  if (FindText(filePath, ".cia") == -1) {
    window.ShowMessage(transfer_text::kBadFileMessage, transfer_text::kCheckTitle);
    return;
  }

  std::string program = JoinText(channel.RunDirectory(), "\\", transfer_text::kSenderName);
  std::vector<std::string> arguments = SplitPaths(filePath);
  arguments.insert(arguments.begin(), std::string(address));
  std::string error;
  if (!channel.Start(program, BuildCommandLine(program, arguments), &error)) {
    window.AppendLog(JoinText(transfer_text::kStartFailedPrefix, error, "\r\n"));
    return;
  }
  StreamOutput(window, channel);
  channel.Close();
}
