#include "sender/send_session.h"

#include <algorithm>
#include <cstdint>

#include "installer/sender_output.h"
#include "sender/arguments.h"
#include "sender/net.h"
#include "sender/os.h"
#include "sender/progress_text.h"

namespace {

// Files stream through one buffer of this size, whatever their size.
constexpr size_t kBlockSize = 1 << 20;

constexpr unsigned char kNextFile = 0x01;
constexpr unsigned char kSessionEnd = 0x00;

struct PreparedFile {
  std::string name;  // as messages show it
  os::InputFile file;
  int64_t size = 0;
};

// Result messages: the installer recognises the phrase; it never starts the message.
std::string ConnectionFailure(const std::string& reason) {
  return std::string("Error: ") + sender_text::kConnectionFailedPhrase + " (" + reason + ")";
}
std::string TransferFailure(const std::string& reason) {
  return std::string("Error: send ") + sender_text::kTransferFailedPhrase + " (" + reason + ")";
}

std::string Plural(int64_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string Seconds(int ms) { return std::to_string(ms / 1000) + " s"; }

void PutBigEndian(uint64_t value, int bytes, char* out) {
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

std::string ConnectReason(net::ConnectError error, const ConsoleAddress& address, int timeoutMs) {
  std::string where = address.host + ":" + std::to_string(address.port);
  switch (error) {
    case net::ConnectError::Unresolved: return "the address " + address.host + " can't be resolved";
    case net::ConnectError::Refused: return "connection refused by " + where;
    case net::ConnectError::Unreachable: return where + " is unreachable";
    case net::ConnectError::TimedOut: return "no answer from " + where + " within " + Seconds(timeoutMs);
    default: return "could not connect to " + where;
  }
}

// Opens every file and checks its first bytes before anything goes on the network,
// so that a wrong file is reported at once. Empty reason: all fine.
std::string PrepareFiles(const std::vector<std::string>& paths, std::vector<PreparedFile>* files) {
  for (const std::string& path : paths) {
    PreparedFile prepared;
    prepared.name = DisplayName(path);
    std::string reason;
    if (!prepared.file.Open(path, &reason)) return "cannot open " + prepared.name + ": " + reason;
    prepared.size = prepared.file.Size();
    char first[2];
    size_t got = 0;
    while (got < sizeof first) {
      std::ptrdiff_t n = prepared.file.Read(first + got, sizeof first - got);
      if (n < 0) return "cannot read " + prepared.name;
      if (n == 0) break;
      got += static_cast<size_t>(n);
    }
    if (prepared.size < 0 || !prepared.file.Rewind()) return "cannot read " + prepared.name;
    if (!HasInstallableHeader(std::string_view(first, got))) {
      return prepared.name + " is neither a CIA file nor a ticket";
    }
    files->push_back(std::move(prepared));
  }
  return {};
}

class Session {
 public:
  Session(net::Socket socket, MessageOutput& out, const SenderLimits& limits)
      : socket_(std::move(socket)), out_(out), limits_(limits), block_(kBlockSize) {}

  // Empty when every file went and the console finished; otherwise why not.
  std::string Run(std::vector<PreparedFile>& files) {
    char count[4];
    PutBigEndian(files.size(), 4, count);
    std::string failure = SendAll(count, sizeof count);
    if (!failure.empty()) return failure;
    out_.Message("Waiting for the console to confirm the install of " + Plural(files.size(), "file"));

    for (size_t i = 0; i < files.size(); ++i) {
      unsigned char reply = 0;
      // Before the first file a person has to confirm on the console.
      failure = ReceiveReply(i == 0 ? -1 : limits_.replyMs, &reply);
      if (!failure.empty()) return failure;
      if (reply == kSessionEnd) {
        return i == 0 ? "the console declined or cancelled the install"
                      : "the console stopped after " + Plural(i, "file") + " of " + std::to_string(files.size());
      }
      if (reply != kNextFile) return UnexpectedReply(reply);
      failure = SendFile(files[i], i + 1, files.size());
      if (!failure.empty()) return failure;
    }

    unsigned char reply = 0;
    failure = ReceiveReply(limits_.replyMs, &reply);
    if (!failure.empty()) return failure;
    if (reply != kSessionEnd) return UnexpectedReply(reply);
    return {};
  }

 private:
  static std::string UnexpectedReply(unsigned char reply) {
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("the console answered with the unexpected byte 0x") + kHex[reply >> 4] + kHex[reply & 15];
  }

  std::string ReceiveReply(int timeoutMs, unsigned char* reply) {
    size_t got = 0;
    switch (net::ReceiveSome(socket_, reinterpret_cast<char*>(reply), 1, timeoutMs, &got)) {
      case net::Io::Done: return {};
      case net::Io::Timeout: return "the console did not answer within " + Seconds(timeoutMs);
      case net::Io::Closed: return "the console closed the connection";
      default: return "the connection broke";
    }
  }

  // What the console said while it should have been taking data.
  std::string Interrupted() {
    unsigned char reply = 0;
    std::string failure = ReceiveReply(limits_.replyMs, &reply);
    if (!failure.empty()) return failure;
    if (reply == kSessionEnd) return "the console stopped the install";
    return UnexpectedReply(reply);
  }

  // Sends size bytes; reports each step through onProgress (may be empty).
  std::string SendAll(const char* data, size_t size, const std::function<void(size_t)>& onProgress = {}) {
    while (size > 0) {
      size_t sent = 0;
      switch (net::SendSome(socket_, data, size, limits_.stallMs, true, &sent)) {
        case net::Io::Done: break;
        case net::Io::Incoming: return Interrupted();
        case net::Io::Timeout: return "the console took no data for " + Seconds(limits_.stallMs);
        case net::Io::Closed: return "the console closed the connection";
        default: return "the connection broke";
      }
      data += sent;
      size -= sent;
      if (onProgress) onProgress(sent);
    }
    return {};
  }

  std::string SendFile(PreparedFile& file, size_t number, size_t count) {
    out_.Message("File " + std::to_string(number) + " of " + std::to_string(count) + ": " + file.name + " (" +
                 Plural(file.size, "byte") + ")");
    char size[8];
    PutBigEndian(static_cast<uint64_t>(file.size), 8, size);
    std::string failure = SendAll(size, sizeof size);
    if (!failure.empty()) return failure;

    ProgressMeter meter(file.size, os::NowMs());
    int64_t sent = 0;
    std::string report;
    auto onProgress = [&](size_t bytes) {
      sent += static_cast<int64_t>(bytes);
      if (meter.Update(sent, os::NowMs(), &report)) out_.Progress(report);
    };
    int64_t left = file.size;
    while (left > 0) {
      size_t want = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(block_.size())));
      std::ptrdiff_t got = file.file.Read(block_.data(), want);
      if (got < 0) return "cannot read " + file.name;
      // The console expects exactly the announced size; a file that shrank can't deliver it.
      if (got == 0) return file.name + " got shorter while it was sent";
      failure = SendAll(block_.data(), static_cast<size_t>(got), onProgress);
      if (!failure.empty()) return failure;
      left -= got;
    }
    return {};
  }

  net::Socket socket_;
  MessageOutput& out_;
  const SenderLimits& limits_;
  std::vector<char> block_;
};

}  // namespace

int RunSender(const std::vector<std::string>& arguments, MessageOutput& out, const SenderLimits& limits) {
  ConsoleAddress address;
  std::string problem;
  if (!ParseConsoleAddress(arguments[0], &address, &problem)) {
    out.Message(ConnectionFailure(problem));
    return kExitFailed;
  }
  std::vector<std::string> given(arguments.begin() + 1, arguments.end());
  std::vector<PreparedFile> files;
  problem = PrepareFiles(JoinSplitPaths(given, os::IsFile), &files);
  if (!problem.empty()) {
    out.Message(TransferFailure(problem));
    return kExitFailed;
  }

  out.Message("Connecting to " + address.host + ":" + std::to_string(address.port));
  net::ConnectError error = net::ConnectError::Other;
  net::Socket socket;
  if (net::Startup()) socket = net::Connect(address.host, address.port, limits.connectMs, &error);
  if (!socket.valid()) {
    out.Message(ConnectionFailure(ConnectReason(error, address, limits.connectMs)));
    return kExitFailed;
  }

  problem = Session(std::move(socket), out, limits).Run(files);
  if (!problem.empty()) {
    out.Message(TransferFailure(problem));
    return kExitFailed;
  }
  out.Message(std::string("Result: ") + sender_text::kInstalledPhrase + " (" + Plural(files.size(), "file") + " sent)");
  return kExitInstalled;
}
