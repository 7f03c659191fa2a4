// One run of the sender: check the files, connect to the console, send them all in
// one session, and say how it went.
//
// The console's side: it takes the number of files (32-bit big-endian) and asks
// its user to confirm; then for each file it sends one byte 0x01 and takes the
// file's size (64-bit big-endian) and exactly that many bytes. It ends the session
// with one byte 0x00 and closes: after the last file that means it finished, where
// a 0x01 was due it means it stopped early (declined, cancelled, refused a file).
#pragma once

#include <string>
#include <vector>

#include "sender/message_output.h"

struct SenderLimits {
  int connectMs = 10000;
  int replyMs = 60000;  // the console's answer between files and after the last
  int stallMs = 30000;  // the console taking no data while a file is sent
  // The wait for the user's confirmation has no limit: a person must press a button.
};

enum ExitCode { kExitInstalled = 0, kExitFailed = 1, kExitUsage = 2 };

inline constexpr char kUsageText[] =
    "Usage: sockfilego ADDRESS FILE [FILE...]\n"
    "Sends CIA files (or tickets) to the console's network install, in one session.\n"
    "ADDRESS is the console's IPv4 address or host name, optionally with :PORT (default 5000).\n";

// arguments: ADDRESS FILE [FILE...], at least two. Returns the exit code.
int RunSender(const std::vector<std::string>& arguments, MessageOutput& out, const SenderLimits& limits = {});
