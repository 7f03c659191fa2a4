// sockfilego.exe against the simulated console on 127.0.0.1 under Windows (Wine),
// its output read from a pipe as the installer reads it.
#include <gtest/gtest.h>
#include <windows.h>

#include "installer/sender_output.h"
#include "sender/test_support/outcomes.h"
#include "tests/win32/console_sim_process.h"
#include "tests/win32/gui_driver.h"

namespace {

constexpr DWORD kRunMs = 60000;  // generous: only a hang takes this long

struct SenderRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::vector<std::string> chunks;  // one per read of the pipe
};

// Runs sockfilego.exe with the arguments, standard output and error on one pipe.
SenderRun RunSender(const std::string& arguments) {
  SenderRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::string exe = gui::ProgramDir() + "\\sockfilego.exe";
  std::string commandLine = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION info = {};
  BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                nullptr, &startup, &info);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[1024];
    DWORD got = 0;
    DWORD begin = GetTickCount();
    while (GetTickCount() - begin < kRunMs && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      run.chunks.emplace_back(buffer, got);
    }
    WaitForSingleObject(info.hProcess, kRunMs);
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  CloseHandle(readEnd);
  return run;
}

struct Case {
  const char* title;
  const char* mode;  // nullptr: nothing listens
  DWORD exitCode;
  Outcome outcome;
};

TEST(SockfilegoWine, SendsToTheSimulatedConsole) {
  const Case cases[] = {
      {"installed", "accept", 0, Outcome::Installed},
      {"declined", "decline", 1, Outcome::TransferFailed},
      {"refused", nullptr, 1, Outcome::ConnectionFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string folder = gui::MakeTempDir("sockfilego");
    ASSERT_FALSE(folder.empty());
    std::string out = folder + "\\out";
    CreateDirectoryA(out.c_str(), nullptr);
    // Unquoted, as the installer passes it: the space splits it into two arguments.
    std::string file = folder + "\\my game.cia";
    std::string bytes(300000, '\x5A');
    bytes[0] = bytes[1] = '\x20';  // a CIA's header size, 0x2020
    ASSERT_TRUE(gui::WriteFileBytes(file, bytes));

    std::string address = "127.0.0.1:1";  // nothing listens on port 1
    std::unique_ptr<gui::ConsoleSimProcess> console;
    if (c.mode) {
      console = std::make_unique<gui::ConsoleSimProcess>(c.mode, out);
      ASSERT_NE(console->port(), 0);
      address = console->address();
    }
    SenderRun run = RunSender(address + " " + file);
    EXPECT_EQ(run.exitCode, c.exitCode) << testing::PrintToString(run.chunks);
    EXPECT_EQ(Outcomes(run.chunks), std::vector<Outcome>{c.outcome}) << testing::PrintToString(run.chunks);
    if (c.outcome == Outcome::Installed) {
      EXPECT_TRUE(gui::ReadFileBytes(out + "\\received-1.cia") == bytes) << "the file arrived changed";
      EXPECT_TRUE(console->WaitForExit(10000));  // its one session is over
    }
  }
}

}  // namespace
