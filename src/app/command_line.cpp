#include "app/command_line.h"

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (const std::string& argument : arguments) {
    if (argument == "--simulate") {
      line.simulate = true;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else {
      line.error = "unknown option: " + argument;
      break;
    }
  }
  return line;
}
