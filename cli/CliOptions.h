#pragma once
#include <optional>
#include <string>
#include <vector>

#include "engine/SupportLog.h"

namespace p25 {

enum class CliAnswer { Ask, Yes, No };

struct CliOptions {
  std::string port;                // the first of ports
  std::vector<std::string> ports;  // every --port, in order
  int baudIndex = 2;
  CliAnswer answer = CliAnswer::Ask;
  std::string firmwareDir;
  std::string recoveryDir;
  std::string logFile;
  bool trace = false;
  bool listPorts = false;
  bool versions = false;
  bool version = false;
  bool help = false;
};

// Parses the command line; on a mistake returns nothing and says why in error.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);
const char* CliUsage();
// Where the support log of an update goes and whether it traces, by the options and the environment.
SupportLogOptions LogOptionsFor(const CliOptions& options);

}  // namespace p25
