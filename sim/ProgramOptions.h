#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SimulatedRadio.h"

namespace p25 {

// When the USB adapter between computer and radio is pulled, and whether it comes back. The radio keeps
// its power and state throughout: only the line goes.
struct CableFaults {
  int pullAfterWrites = 0;                     // pulled as the radio accepts its Nth flash write; 0: never
  std::optional<uint64_t> pullAfterMicros;     // pulled this long after the line first became ready
  std::optional<uint64_t> replugAfterMicros;   // back this long after the pull; none: stays out
};

// The command line of p25radio-sim.
struct ProgramOptions {
  std::string link;
  bool realtime = false;
  std::string transcript;
  bool help = false;
  CableFaults cable;
  SimulatedRadio::Options radio;
};

// args excludes the program name. On failure error says what is wrong, for people.
bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error);
const char* ProgramUsage();

}  // namespace p25
