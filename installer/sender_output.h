// Turns one chunk of the sender's output into what the installer window shows.
//
// The sender writes its progress as e.g. "Sending 45 % 512 KB/s 0h1m2s" and
// announces its result with one of three phrases. Each chunk is judged by itself;
// nothing is carried over from the chunk before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class StepKind { AppendLog, SetPosition, SetCaption, ShowMessage };
enum class Outcome { None, TransferFailed, ConnectionFailed, Installed };

struct DisplayStep {
  StepKind kind = StepKind::AppendLog;
  std::string control;  // empty for ShowMessage
  int32_t number = 0;   // SetPosition only
  std::string text;     // log text, caption or message text
  std::string title;    // ShowMessage only
  Outcome outcome = Outcome::None;

  bool operator==(const DisplayStep& other) const {
    return kind == other.kind && control == other.control && number == other.number && text == other.text &&
           title == other.title && outcome == other.outcome;
  }
};

struct ChunkResult {
  std::vector<DisplayStep> steps;  // never empty: the echo into the log comes first
};

ChunkResult InterpretChunk(std::string_view chunk);

// The sender's result phrases and the messages they lead to (GBK).
namespace sender_text {
inline constexpr char kTransferFailedPhrase[] = "cia file failed";
inline constexpr char kConnectionFailedPhrase[] = "A connection attempt failed";
inline constexpr char kInstalledPhrase[] = "Install cia file success";
inline constexpr char kMessageTitle[] = "提示";
inline constexpr char kTransferFailedMessage[] = "传输文件失败！可能是 3DS 主机取消传输！";
inline constexpr char kConnectionFailedMessage[] =
    "连接 3DS 主机失败！请检查 IP 地址是否正确 或者 FBI 是否开启网络传输！";
inline constexpr char kInstalledMessage[] = "恭喜你！安装 CIA 文件成功！";
inline constexpr char kIdleSpeed[] = "0 KB/s";
inline constexpr char kIdleTime[] = "0h0m0s";
inline constexpr char kIdlePercent[] = "0 %";
}  // namespace sender_text
