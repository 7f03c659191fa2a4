// The sender's process and output pipe on Win32: the records the system fills,
// and the SenderChannel the transfer loop reads through.
#pragma once

#include <windows.h>

#include <string>

#include "installer/transfer.h"

// One set serves every transfer of the program (one transfer runs at a time).
// The records have the system's own sizes, which differ between x86 and x64.
struct TransferRecords {
  SECURITY_ATTRIBUTES PipeSecurity = {};
  STARTUPINFOA SenderStartup = {};
  PROCESS_INFORMATION SenderProcess = {};
  HANDLE PipeReadEnd = nullptr;
  HANDLE PipeWriteEnd = nullptr;
  // Ends the sender and everything it started once its last handle is closed,
  // even when the installer itself is ended.
  HANDLE SenderJob = nullptr;
  DWORD PipeByteCount = 0;
  DWORD SenderExitCode = 0;
};

class Win32SenderChannel : public SenderChannel {
 public:
  // runDirectory: where the sender lies; empty means the executable's folder.
  explicit Win32SenderChannel(TransferRecords& records, std::string runDirectory = "");
  ~Win32SenderChannel() override;  // closes what its transfer left open

  std::string RunDirectory() override;
  bool Start(const std::string& program, const std::string& commandLine, std::string* error) override;
  bool Peek(uint32_t* available) override;
  bool Read(char* buffer, uint32_t capacity, uint32_t* count) override;
  bool HasEnded() override;
  void WaitForActivity(uint32_t ms) override;
  void Close() override;

 private:
  TransferRecords& records_;
  std::string runDirectory_;
  bool ended_ = false;
  bool open_ = false;  // Start succeeded and Close has not run: the records' handles are ours
};

// Folder of the running executable without a trailing backslash ("C:" for a
// program in a drive's root).
std::string ExecutableDirectory();
// The system's message for an error code, in the ANSI code page, without the
// line end it carries.
std::string SystemErrorText(DWORD code);
