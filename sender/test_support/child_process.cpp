#include "sender/test_support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {
long long NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}
}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command, bool mergeStderr) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(ends[1], STDOUT_FILENO);
    if (mergeStderr) dup2(ends[1], STDERR_FILENO);
    int nothing = open("/dev/null", O_RDONLY);
    dup2(nothing, STDIN_FILENO);
    std::vector<char*> argv;
    for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(ends[1]);
  pipe_ = ends[0];
}

ChildProcess::~ChildProcess() {
  Kill();
  if (pipe_ >= 0) close(pipe_);
}

bool ChildProcess::ReadChunk(int ms, std::string* chunk) {
  chunk->clear();
  if (!pending_.empty()) {
    chunk->swap(pending_);
    return true;
  }
  pollfd entry{pipe_, POLLIN, 0};
  int ready;
  while ((ready = poll(&entry, 1, ms)) < 0 && errno == EINTR) {
  }
  if (ready <= 0) return false;
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipe_, buffer, sizeof buffer)) < 0 && errno == EINTR) {
  }
  if (n <= 0) return false;
  chunk->assign(buffer, static_cast<size_t>(n));
  return true;
}

bool ChildProcess::ReadLine(int ms, std::string* line) {
  long long end = NowMs() + ms;
  std::string text = pending_;
  pending_.clear();
  size_t lineEnd;
  while ((lineEnd = text.find('\n')) == std::string::npos) {
    std::string chunk;
    int left = static_cast<int>(end - NowMs());
    if (left <= 0 || !ReadChunk(left, &chunk)) return false;
    text += chunk;
  }
  *line = text.substr(0, lineEnd);
  pending_ = text.substr(lineEnd + 1);
  return true;
}

std::vector<std::string> ChildProcess::ReadAllChunks(int ms) {
  std::vector<std::string> chunks;
  long long end = NowMs() + ms;
  std::string chunk;
  for (;;) {
    int left = static_cast<int>(end - NowMs());
    if (left <= 0 || !ReadChunk(left, &chunk)) return chunks;
    chunks.push_back(chunk);
  }
}

int ChildProcess::Wait(int ms) {
  long long end = NowMs() + ms;
  while (!reaped_) {
    pid_t done = waitpid(pid_, &status_, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      break;
    }
    if (done < 0 || NowMs() > end) return -1;
    usleep(5000);
  }
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
}

bool ChildProcess::Running() { return pid_ > 0 && Wait(0) == -1; }

void ChildProcess::Kill() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    Wait(10000);
  }
}
