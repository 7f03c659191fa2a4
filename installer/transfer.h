// One transfer: check the boxes' texts, start the sender, stream its output into
// the window until the sender has ended and its pipe is drained, then return.
//
// The loop reaches the sender's process and pipe only through SenderChannel, and
// the window only through TransferWindow, so both can be replaced in tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "installer/transfer_window.h"

class SenderChannel {
 public:
  virtual ~SenderChannel() = default;

  // Folder of the running installer, without a trailing backslash.
  virtual std::string RunDirectory() = 0;
  // Starts program with commandLine, its console hidden, its standard output and
  // standard error into one new pipe. On failure nothing stays open and *error
  // holds the system's message for the failure.
  virtual bool Start(const std::string& program, const std::string& commandLine, std::string* error) = 0;
  // The number of bytes waiting in the pipe, without taking them. false once
  // the pipe can give nothing more (every writer has closed it and it is empty).
  virtual bool Peek(uint32_t* available) = 0;
  // Takes up to capacity waiting bytes. false once the pipe can give nothing more.
  virtual bool Read(char* buffer, uint32_t capacity, uint32_t* count) = 0;
  virtual bool HasEnded() = 0;
  // Returns when a window message is waiting, the sender ends, or ms pass.
  virtual void WaitForActivity(uint32_t ms) = 0;
  // Ends the sender, and whatever it started, if it still runs; releases all
  // that Start opened.
  virtual void Close() = 0;
};

// Messages of the transfer (GBK).
namespace transfer_text {
inline constexpr char kSenderName[] = "sockfilego.exe";
inline constexpr char kBadAddressMessage[] = "请输入正确的 IP 地址！";
inline constexpr char kBadFileMessage[] = "请拖入正确的 CIA 文件！";
inline constexpr char kCheckTitle[] = "提示";
inline constexpr char kStartFailedPrefix[] = "无法启动 sockfilego.exe：";
}  // namespace transfer_text

// The longest chunk one read takes; the read buffer is one byte longer, so a
// chunk always ends at a zero byte inside it.
inline constexpr uint32_t kChunkCapacity = 1023;
// Longest pause between two looks at the pipe while nothing happens.
inline constexpr uint32_t kPollIntervalMs = 10;

// The whole transfer of the file box's text (one path or several, each followed
// by "\r\n") to the address. Only one runs at a time: a call made while another
// transfer runs (nested in its event processing) returns at once.
void DriveTransfer(TransferWindow& window, SenderChannel& channel, std::string_view address,
                   std::string_view filePath);
