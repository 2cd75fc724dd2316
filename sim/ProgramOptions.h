#pragma once
#include <string>
#include <vector>

#include "SimulatedRadio.h"

namespace p25 {

// The command line of p25radio-sim.
struct ProgramOptions {
  std::string link;
  bool realtime = false;
  std::string transcript;
  bool help = false;
  SimulatedRadio::Options radio;
};

// args excludes the program name. On failure error says what is wrong, for people.
bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error);
const char* ProgramUsage();

}  // namespace p25
