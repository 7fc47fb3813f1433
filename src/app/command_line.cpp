#include "app/command_line.h"

#include <algorithm>

#include "app/build_profile.h"

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (const std::string& argument : arguments) {
    if (argument == "--simulate") {
      line.simulate = true;
    } else if (argument == "--help" || argument == "-h" || argument == "--version") {
      continue;
    } else {
      line.error = "unknown option: " + argument;
      break;
    }
  }
  return line;
}

TextRequest RequestedText(const std::vector<std::string>& arguments) {
  // No option of Qt's is spelled like these, so they can be looked for before Qt has taken
  // its own options out.
  auto has = [&](const char* option) {
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
  };
  if (has("--help") || has("-h")) return TextRequest::Help;
  if (has("--version")) return TextRequest::Version;
  return TextRequest::None;
}

std::string VersionText(const std::string& programVersion, int buildProfile,
                        const std::string& imageIdentityText) {
  std::string text = "ferrowind " + programVersion + "\n";
  text += "build profile " + std::to_string(buildProfile);
  if (const auto profile = productProfile(buildProfile))
    text += ": PID " + profile->pidText + ", \"" + profile->caption + "\"";
  else
    text += ": no product (no PID)";
  text += "\nbuilt-in image: " + imageIdentityText + "\n";
  return text;
}
