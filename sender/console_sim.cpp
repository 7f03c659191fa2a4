#include "sender/console_sim.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "sender/net.h"
#include "sender/os.h"

namespace {

constexpr int kConsoleReceiveBuffer = 32 * 1024;  // as small as the real console's
constexpr int kWaitMs = 30000;                    // for a sender that stops mid-way
constexpr size_t kBlockSize = 256 * 1024;         // the console installs in such blocks

bool ParseCount(std::string_view text, int64_t* value) {
  if (text.empty() || text.size() > 15) return false;
  int64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  *value = result;
  return true;
}

// "N bytes in T ms (R MB/s)": the benchmark compares senders by it.
std::string Amount(int64_t bytes, int64_t ms) {
  std::string text = std::to_string(bytes) + " bytes in " + std::to_string(ms) + " ms";
  if (ms > 0) text += " (" + std::to_string(bytes / 1000 / ms) + " MB/s)";
  return text;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using OutputFile = std::unique_ptr<std::FILE, FileCloser>;

class Simulator {
 public:
  Simulator(const ConsoleSimOptions& options, const std::function<void(std::string_view)>& log)
      : options_(options), log_(log), block_(kBlockSize) {}

  void Serve(net::Socket socket, int session) {
    socket_ = std::move(socket);
    session_ = "session " + std::to_string(session) + ": ";
    dataBytes_ = 0;
    dataStartMs_ = os::NowMs();
    if (options_.mode == SimMode::Raw) {
      ServeRaw();
    } else {
      ServeProtocol();
    }
    socket_.Close();
  }

 private:
  void Log(const std::string& text) { log_(session_ + text + "\n"); }

  bool ReadExact(char* data, size_t size, int timeoutMs) {
    while (size > 0) {
      size_t got = 0;
      net::Io result = net::ReceiveSome(socket_, data, size, timeoutMs, &got);
      if (result != net::Io::Done) {
        Log(result == net::Io::Timeout ? "the sender went quiet" : "the sender closed the connection");
        return false;
      }
      data += got;
      size -= got;
    }
    return true;
  }

  bool SendByte(unsigned char byte) {
    size_t sent = 0;
    return net::SendSome(socket_, reinterpret_cast<const char*>(&byte), 1, kWaitMs, false, &sent) == net::Io::Done &&
           sent == 1;
  }

  OutputFile NextOutput(const char* extension) {
    ++fileNumber_;
    if (options_.outDir.empty()) return nullptr;
    std::string path = options_.outDir + "/received-" + std::to_string(fileNumber_) + extension;
    OutputFile file(std::fopen(path.c_str(), "wb"));
    if (!file) Log("cannot write " + path);
    return file;
  }

  void ServeRaw() {
    OutputFile out = NextOutput(".bin");
    int64_t total = 0;
    int64_t startMs = 0;
    for (;;) {
      size_t got = 0;
      if (net::ReceiveSome(socket_, block_.data(), block_.size(), kWaitMs, &got) != net::Io::Done) break;
      if (total == 0) startMs = os::NowMs();
      if (out) std::fwrite(block_.data(), 1, got, out.get());
      total += static_cast<int64_t>(got);
    }
    Log("received " + Amount(total, os::NowMs() - startMs));
  }

  void ServeProtocol() {
    unsigned char count[4];
    if (!ReadExact(reinterpret_cast<char*>(count), 4, kWaitMs)) return;
    uint32_t files = uint32_t{count[0]} << 24 | uint32_t{count[1]} << 16 | uint32_t{count[2]} << 8 | count[3];
    Log(std::to_string(files) + " file(s) offered");

    if (options_.mode == SimMode::Decline) {
      SendByte(0x00);
      Log("declined");
      return;
    }
    if (options_.mode == SimMode::NeverConfirm) {
      // The user never answers; the session lasts until the sender gives up.
      size_t got = 0;
      while (net::ReceiveSome(socket_, block_.data(), block_.size(), -1, &got) == net::Io::Done) {
      }
      Log("the sender left without a confirmation");
      return;
    }
    for (uint32_t i = 0; i < files; ++i) {
      if (!SendByte(0x01) || !ReceiveFile()) return;
    }
    SendByte(0x00);
    Log("finished");
  }

  // One file after its 0x01; false when the session is over.
  bool ReceiveFile() {
    unsigned char sizeBytes[8];
    if (!ReadExact(reinterpret_cast<char*>(sizeBytes), 8, kWaitMs)) return false;
    uint64_t size = 0;
    for (unsigned char b : sizeBytes) size = size << 8 | b;
    OutputFile out = NextOutput(".cia");
    std::string name = "received-" + std::to_string(fileNumber_) + ".cia";

    unsigned char header[2] = {};
    uint64_t received = 0;
    int64_t startMs = os::NowMs();
    bool checked = false;
    while (received < size || !checked) {
      if (!checked && (received >= 2 || received == size)) {
        // The console looks at the start of the first block and refuses anything
        // that is neither a CIA (0x2020) nor a ticket (0x0100).
        unsigned value = header[0] | header[1] << 8u;
        if (received < 2 || (value != 0x2020 && value != 0x0100)) {
          SendByte(0x00);
          Log(name + " is not installable; stopped");
          return false;
        }
        checked = true;
        continue;
      }
      size_t want = static_cast<size_t>(std::min<uint64_t>(size - received, block_.size()));
      if (options_.mode == SimMode::Slow) want = std::min<size_t>(want, std::max<int64_t>(1, options_.bytesPerSecond / 10));
      if (options_.mode == SimMode::Drop) {
        if (dataBytes_ >= options_.dropAfter) {
          socket_.Abort();
          Log("dropped the connection after " + std::to_string(dataBytes_) + " bytes");
          return false;
        }
        want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(want), options_.dropAfter - dataBytes_));
      }
      size_t got = 0;
      net::Io result = net::ReceiveSome(socket_, block_.data(), want, kWaitMs, &got);
      if (result != net::Io::Done) {
        Log(name + ": the sender stopped after " + std::to_string(received) + " of " + std::to_string(size) + " bytes");
        return false;
      }
      for (size_t k = 0; k < got && received + k < 2; ++k) header[received + k] = static_cast<unsigned char>(block_[k]);
      if (out) std::fwrite(block_.data(), 1, got, out.get());
      received += got;
      dataBytes_ += static_cast<int64_t>(got);
      if (options_.mode == SimMode::Slow) Pace();
    }
    Log(name + ": " + Amount(static_cast<int64_t>(size), os::NowMs() - startMs));
    return true;
  }

  // Sleeps while more has been read than the rate allows since the data began.
  void Pace() {
    int64_t dueMs = dataBytes_ * 1000 / options_.bytesPerSecond;
    int64_t aheadMs = dueMs - (os::NowMs() - dataStartMs_);
    if (aheadMs > 0) os::SleepMs(static_cast<int>(aheadMs));
  }

  const ConsoleSimOptions& options_;
  const std::function<void(std::string_view)>& log_;
  std::vector<char> block_;
  net::Socket socket_;
  std::string session_;
  int fileNumber_ = 0;
  int64_t dataBytes_ = 0;
  int64_t dataStartMs_ = 0;
};

}  // namespace

bool ParseConsoleSimOptions(const std::vector<std::string>& arguments, ConsoleSimOptions* options,
                            std::string* problem) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name != "--port" && name != "--out" && name != "--mode" && name != "--sessions") {
      *problem = "unknown option " + name;
      return false;
    }
    if (i + 1 >= arguments.size()) {
      *problem = name + " needs a value";
      return false;
    }
    const std::string& value = arguments[++i];
    int64_t number = 0;
    if (name == "--out") {
      options->outDir = value;
    } else if (name == "--port" || name == "--sessions") {
      if (!ParseCount(value, &number) || (name == "--port" && number > 65535) || number > 1000000000) {
        *problem = name + " takes a number, not " + value;
        return false;
      }
      if (name == "--port") options->port = static_cast<uint16_t>(number);
      else options->sessions = static_cast<int>(number);
    } else if (value == "accept" || value == "decline" || value == "never-confirm" || value == "raw") {
      options->mode = value == "accept"    ? SimMode::Accept
                      : value == "decline" ? SimMode::Decline
                      : value == "raw"     ? SimMode::Raw
                                           : SimMode::NeverConfirm;
    } else if (value.rfind("drop:", 0) == 0 && ParseCount(value.substr(5), &number)) {
      options->mode = SimMode::Drop;
      options->dropAfter = number;
    } else if (value.rfind("slow:", 0) == 0 && ParseCount(value.substr(5), &number) && number > 0) {
      options->mode = SimMode::Slow;
      options->bytesPerSecond = number;
    } else {
      *problem = "unknown mode " + value;
      return false;
    }
  }
  return true;
}

int RunConsoleSim(const ConsoleSimOptions& options, const std::function<void(std::string_view)>& announce,
                  const std::function<void(std::string_view)>& log) {
  if (!net::Startup()) {
    log("console-sim: no sockets\n");
    return 1;
  }
  uint16_t port = 0;
  net::Socket listener = net::ListenLoopback(options.port, kConsoleReceiveBuffer, &port);
  if (!listener.valid()) {
    log("console-sim: cannot listen on 127.0.0.1:" + std::to_string(options.port) + "\n");
    return 1;
  }
  announce("listening on " + std::to_string(port) + "\n");
  Simulator simulator(options, log);
  for (int session = 1; options.sessions == 0 || session <= options.sessions; ++session) {
    net::Socket connection = net::Accept(listener);
    if (!connection.valid()) {
      log("console-sim: accept failed\n");
      return 1;
    }
    simulator.Serve(std::move(connection), session);
  }
  return 0;
}
