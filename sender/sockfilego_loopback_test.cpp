// The built sender against the simulated console on 127.0.0.1, both as child
// processes, the sender's output read from a pipe the way the installer reads it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "installer/sender_output.h"
#include "sender/test_support/outcomes.h"
#include "sender/test_support/child_process.h"

namespace {

namespace fs = std::filesystem;

const std::string kBin = SENDER_BIN_DIR;
constexpr int kRunMs = 60000;  // generous: only a hang takes this long

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "sockfilego-test-XXXXXX").string();
    path_ = mkdtemp(&pattern[0]);
    fs::create_directory(path_ + "/in");
    fs::create_directory(path_ + "/out");
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string in(const std::string& name) const { return path_ + "/in/" + name; }
  std::string out() const { return path_ + "/out"; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file that starts like a CIA (0x2020) or a ticket (0x0100), then noise.
std::string Installable(size_t size, bool ticket = false) {
  std::string bytes(size, '\0');
  std::mt19937 noise(static_cast<unsigned>(size));
  for (char& b : bytes) b = static_cast<char>(noise());
  bytes[0] = ticket ? 0x00 : 0x20;
  bytes[1] = ticket ? 0x01 : 0x20;
  return bytes;
}

// A port on which nothing listens.
int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

struct Console {
  explicit Console(const std::string& mode, const std::string& outDir)
      : process({kBin + "/console-sim", "--port", "0", "--out", outDir, "--mode", mode}, false) {
    std::string line;
    if (process.ReadLine(10000, &line) && line.rfind("listening on ", 0) == 0) port = std::stoi(line.substr(13));
  }
  ChildProcess process;
  int port = 0;
};

struct SenderRun {
  int exitCode = -1;
  std::vector<std::string> chunks;  // one per read of the pipe
};

// Runs the sender with the address and the paths, split at spaces as the
// installer's unquoted command line splits them.
SenderRun RunSender(const std::string& address, const std::vector<std::string>& paths) {
  std::vector<std::string> command = {kBin + "/sockfilego", address};
  for (const std::string& path : paths) {
    std::istringstream words(path);
    for (std::string word; words >> word;) command.push_back(word);
  }
  ChildProcess sender(command, true);
  SenderRun run;
  run.chunks = sender.ReadAllChunks(kRunMs);
  run.exitCode = sender.Wait(kRunMs);
  return run;
}

bool AnyChunkHas(const std::vector<std::string>& chunks, const std::string& text) {
  for (const std::string& chunk : chunks) {
    if (chunk.find(text) != std::string::npos) return true;
  }
  return false;
}

// Whether text has the shape of pattern, in which '#' stands for one or more digits.
bool HasShape(std::string_view text, std::string_view pattern) {
  size_t t = 0;
  for (char p : pattern) {
    if (p != '#') {
      if (t >= text.size() || text[t++] != p) return false;
      continue;
    }
    size_t digits = t;
    while (t < text.size() && text[t] >= '0' && text[t] <= '9') ++t;
    if (t == digits) return false;
  }
  return t == text.size();
}

// What every message in the pipe must look like for the installer.
void ExpectInstallerReadable(const std::vector<std::string>& chunks) {
  for (const std::string& chunk : chunks) {
    EXPECT_EQ(chunk.find_first_of("\r\n"), std::string::npos) << "line end in: " << chunk;
    if (chunk.find("KB/s") != std::string::npos) {
      EXPECT_TRUE(HasShape(chunk, "Sending # % # KB/s #h#m#s"))
          << "not one progress report: " << chunk;
    }
  }
}

enum class Kind { Installable, Ticket, NotCia, Missing, Folder };
struct FileFixture {
  std::string name;
  Kind kind;
  size_t size = 1000;
};

struct OutcomeCase {
  const char* title;
  const char* mode;  // nullptr: nothing listens
  std::vector<FileFixture> files;
  int exitCode;
  Outcome outcome;
  const char* reason;       // part of the result message
  std::string address = {};  // instead of the console's
};

TEST(SockfilegoLoopback, OutcomesAndWhatArrives) {
  const OutcomeCase cases[] = {
      {"one file", "accept", {{"game.cia", Kind::Installable}}, 0, Outcome::Installed, "(1 file sent)"},
      {"several files, one with spaces in its path",
       "accept",
       {{"a.cia", Kind::Installable, 5}, {"t.tik", Kind::Ticket, 848}, {"my big game.cia", Kind::Installable, 3 << 20}},
       0,
       Outcome::Installed,
       "(3 files sent)"},
      {"declined", "decline", {{"game.cia", Kind::Installable}}, 1, Outcome::TransferFailed, "declined"},
      {"dropped mid-file", "drop:200000", {{"game.cia", Kind::Installable, 3 << 20}}, 1, Outcome::TransferFailed,
       "send cia file failed ("},
      {"refused", nullptr, {{"game.cia", Kind::Installable}}, 1, Outcome::ConnectionFailed, "connection refused"},
      {"port out of range", "accept", {{"game.cia", Kind::Installable}}, 1, Outcome::ConnectionFailed, "65536",
       "127.0.0.1:65536"},
      {"not a CIA", "accept", {{"notes.cia", Kind::NotCia}}, 1, Outcome::TransferFailed, "neither a CIA"},
      {"missing file", "accept", {{"gone.cia", Kind::Missing}}, 1, Outcome::TransferFailed, "no such file"},
      {"unreadable file", "accept", {{"folder.cia", Kind::Folder}}, 1, Outcome::TransferFailed, "folder"},
      {"second file missing: nothing goes",
       "accept",
       {{"a.cia", Kind::Installable}, {"gone.cia", Kind::Missing}},
       1,
       Outcome::TransferFailed,
       "gone.cia"},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    std::vector<std::string> paths;
    for (const FileFixture& f : c.files) {
      paths.push_back(dir.in(f.name));
      if (f.kind == Kind::Installable || f.kind == Kind::Ticket) WriteFile(paths.back(), Installable(f.size, f.kind == Kind::Ticket));
      if (f.kind == Kind::NotCia) WriteFile(paths.back(), "PK\x03\x04 a zip, not a CIA");
      if (f.kind == Kind::Folder) fs::create_directory(paths.back());
    }
    std::unique_ptr<Console> console;
    int port = ClosedPort();
    if (c.mode) {
      console = std::make_unique<Console>(c.mode, dir.out());
      ASSERT_NE(console->port, 0);
      port = console->port;
    }
    SenderRun run = RunSender(c.address.empty() ? "127.0.0.1:" + std::to_string(port) : c.address, paths);

    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(Outcomes(run.chunks), std::vector<Outcome>{c.outcome}) << testing::PrintToString(run.chunks);
    EXPECT_TRUE(AnyChunkHas(run.chunks, c.reason)) << testing::PrintToString(run.chunks);
    ExpectInstallerReadable(run.chunks);
    if (c.outcome == Outcome::Installed) {
      for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_TRUE(ReadFile(dir.out() + "/received-" + std::to_string(i + 1) + ".cia") == ReadFile(paths[i]))
            << "file " << i + 1 << " arrived changed";
      }
    }
    // Files are checked before connecting, so a bad one costs no session.
    if (c.outcome == Outcome::TransferFailed && c.mode && std::string(c.mode) == "accept") {
      EXPECT_FALSE(AnyChunkHas(run.chunks, "Connecting"));
      EXPECT_TRUE(fs::is_empty(dir.out()));
    }
  }
}

// Progress into a pipe: each read is one message, and the installer's reading of
// the reports climbs to 100 before the success message.
TEST(SockfilegoLoopback, ProgressReportsReadOneByOne) {
  TempDir dir;
  std::string path = dir.in("slow.cia");
  WriteFile(path, Installable(3 << 20));
  Console console("slow:1500000", dir.out());
  ASSERT_NE(console.port, 0);
  SenderRun run = RunSender("127.0.0.1:" + std::to_string(console.port), {path});
  ASSERT_EQ(run.exitCode, 0) << testing::PrintToString(run.chunks);
  ExpectInstallerReadable(run.chunks);

  std::vector<int> positions;
  for (const std::string& chunk : run.chunks) {
    if (!HasShape(chunk, "Sending # % # KB/s #h#m#s")) continue;
    std::vector<DisplayStep> steps = InterpretChunk(chunk).steps;
    ASSERT_EQ(steps.size(), 5u) << chunk;
    positions.push_back(steps[1].number);
    EXPECT_EQ(steps[4].text, std::to_string(steps[1].number) + " %");
    EXPECT_TRUE(HasShape(steps[3].text, "#h#m#s")) << steps[3].text;
  }
  ASSERT_GE(positions.size(), 2u) << testing::PrintToString(run.chunks);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << testing::PrintToString(positions);
  EXPECT_LT(positions.front(), 100);
  EXPECT_EQ(positions.back(), 100);
  EXPECT_NE(run.chunks.back().find("Install cia file success"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.out() + "/received-1.cia"), ReadFile(path));
}

// The console's user never answers: the sender waits for them without a time
// limit, having said what it waits for.
TEST(SockfilegoLoopback, WaitsForTheConfirmationWithoutLimit) {
  TempDir dir;
  std::string path = dir.in("game.cia");
  WriteFile(path, Installable(100));
  Console console("never-confirm", dir.out());
  ASSERT_NE(console.port, 0);
  ChildProcess sender({kBin + "/sockfilego", "127.0.0.1:" + std::to_string(console.port), path}, true);
  std::string said;
  std::string chunk;
  while (said.find("confirm") == std::string::npos && sender.ReadChunk(kRunMs, &chunk)) said += chunk;
  EXPECT_NE(said.find("Waiting for the console to confirm"), std::string::npos) << said;
  EXPECT_FALSE(sender.ReadChunk(1500, &chunk)) << "unexpected: " << chunk;
  EXPECT_TRUE(sender.Running());
}

TEST(SockfilegoLoopback, UsageErrors) {
  for (std::vector<std::string> arguments : {std::vector<std::string>{}, {"192.168.1.5"}}) {
    std::vector<std::string> command = {kBin + "/sockfilego"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess sender(command, true);
    std::vector<std::string> chunks = sender.ReadAllChunks(kRunMs);
    EXPECT_EQ(sender.Wait(kRunMs), 2);
    EXPECT_TRUE(AnyChunkHas(chunks, "Usage: sockfilego ADDRESS FILE [FILE...]"));
  }
}

}  // namespace
