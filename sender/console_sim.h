// A simulated console for tests and benchmarks: plays the receiving side of the
// network install on 127.0.0.1, and can misbehave on purpose.
//
// Modes: accept (takes every file), decline (the user says no), drop:N (the link
// breaks after N bytes of file data), slow:BYTES_PER_SEC (reads at that rate),
// never-confirm (the user never answers), raw (no protocol: takes bytes until the
// peer closes; a plain receiver to compare the sender with).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum class SimMode { Accept, Decline, Drop, Slow, NeverConfirm, Raw };

struct ConsoleSimOptions {
  uint16_t port = 5000;  // 0: any free port
  std::string outDir;    // where received files go, as received-1.cia, ...; empty: nowhere
  SimMode mode = SimMode::Accept;
  int64_t dropAfter = 0;       // drop:N
  int64_t bytesPerSecond = 0;  // slow:N
  int sessions = 1;            // sessions to serve before ending; 0: without end
};

inline constexpr char kConsoleSimUsage[] =
    "Usage: console-sim [--port N] [--out DIR] [--mode MODE] [--sessions N]\n"
    "MODE: accept, decline, drop:BYTES, slow:BYTES_PER_SEC, never-confirm, raw\n"
    "--port 0 picks a free port; the port is printed first as \"listening on PORT\".\n";

// false and a reason when the arguments (without the program name) make no sense.
bool ParseConsoleSimOptions(const std::vector<std::string>& arguments, ConsoleSimOptions* options,
                            std::string* problem);

// Listens, calls announce with the "listening on PORT\n" line, serves the sessions.
// log gets one line per event. Returns the exit code.
int RunConsoleSim(const ConsoleSimOptions& options, const std::function<void(std::string_view)>& announce,
                  const std::function<void(std::string_view)>& log);
