// console-sim: a simulated console for the sender's tests; see console_sim.h.
#include <string>
#include <vector>

#include "sender/console_sim.h"
#include "sender/os.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  ConsoleSimOptions options;
  std::string problem;
  if (!ParseConsoleSimOptions(arguments, &options, &problem)) {
    os::WriteStderr("console-sim: " + problem + "\n" + kConsoleSimUsage);
    return 2;
  }
  return RunConsoleSim(options, os::WriteStdout, os::WriteStderr);
}
