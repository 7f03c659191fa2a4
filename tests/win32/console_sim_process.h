// Starts the simulated console (console-sim.exe, built beside the test programs)
// on a free port of 127.0.0.1, for tests that send files to it under Wine.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

class ConsoleSimProcess {
 public:
  // mode: accept, decline, drop:N, slow:BYTES_PER_SEC, never-confirm. Received files
  // land in outDir as received-1.cia, received-2.cia, ... (empty outDir: nowhere).
  explicit ConsoleSimProcess(const std::string& mode, const std::string& outDir = "", int sessions = 1);
  ~ConsoleSimProcess();  // ends the simulator if it still runs
  ConsoleSimProcess(const ConsoleSimProcess&) = delete;
  ConsoleSimProcess& operator=(const ConsoleSimProcess&) = delete;

  // The port it listens on; 0 when it did not start.
  int port() const { return port_; }
  // "127.0.0.1:PORT", as the sender takes it.
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  // true and the exit code once it has ended (after its sessions) within ms.
  bool WaitForExit(DWORD ms, DWORD* exitCode = nullptr);
  void Kill();

 private:
  HANDLE process_ = nullptr;
  int port_ = 0;
};

}  // namespace gui
