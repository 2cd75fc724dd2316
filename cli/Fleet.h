#pragma once
// Several radios at once: one update session per port, each on its own thread, one display for all,
// and a summary at the end.
#include <cstdio>
#include <string>

#include "CliOptions.h"

namespace p25 {

class Clock;
class StopSignal;

// Updates the radio on every port of the options; answers the exit status. The stop ends every update
// as the window's Cancel does.
int RunFleet(const CliOptions& options, std::string (*deviceName)(const std::string&), Clock& clock, StopSignal& stop,
             std::FILE* out, bool interactive);

}  // namespace p25
