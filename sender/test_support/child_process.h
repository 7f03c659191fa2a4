// Starts one of our programs with its standard output (and, if asked, standard
// error) on a pipe, and reads that pipe read by read, as the installer does.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  // program and its arguments; mergeStderr puts standard error on the same pipe.
  ChildProcess(const std::vector<std::string>& command, bool mergeStderr);
  ~ChildProcess();  // kills the program if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // What one read of the pipe delivers; false at the end of the output or after ms.
  bool ReadChunk(int ms, std::string* chunk);
  // Reads up to the first line end (for the simulated console's port line).
  bool ReadLine(int ms, std::string* line);
  // Every chunk until the output ends (or ms pass), one string per read.
  std::vector<std::string> ReadAllChunks(int ms);
  // The exit code once the program has ended within ms; -1 otherwise.
  int Wait(int ms);
  bool Running();
  void Kill();

 private:
  pid_t pid_ = -1;
  int pipe_ = -1;
  int status_ = -1;
  bool reaped_ = false;
  std::string pending_;  // read past a line end by ReadLine
};
