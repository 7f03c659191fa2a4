// sockfilego ADDRESS FILE [FILE...]: sends CIA files to the console's network install.
#include <string>
#include <vector>

#include "sender/os.h"
#include "sender/send_session.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    os::WriteStdout(kUsageText);
    return 0;
  }
  if (arguments.size() < 2) {
    os::WriteStderr(kUsageText);
    return kExitUsage;
  }
  MessageOutput out(os::StdoutIsTerminal(), {os::WriteStdout, os::NowMs, os::SleepMs});
  return RunSender(arguments, out);
}
