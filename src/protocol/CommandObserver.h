#pragma once
#include <cstdint>
#include <string_view>

#include "link/LinkStatus.h"
#include "protocol/RadioMessage.h"

namespace p25 {

// One request to the radio as it ended: the message holds the request and the last reply heard.
struct CommandReport {
  const RadioMessage& message;
  MessageType type;  // Command, Query or Notice
  bool ok;
  uint64_t startMicros;
  uint64_t micros;
  int sends;  // times the request frame went out before it was acknowledged or given up
  const LinkStatus& status;
};

// A step of the link that is not a framed request: opening the port, the console steps.
struct LinkStepReport {
  std::string_view what;
  std::string_view device;
  uint32_t baudRate;
  bool ok;
  uint64_t startMicros;
  uint64_t micros;
  const LinkStatus& status;
};

// Sees every request to the radio and every link step when it ends, for the support log. Called on
// the thread that drives the link, so it must only take note and return.
class CommandObserver {
public:
  virtual ~CommandObserver() = default;
  virtual void CommandDone(const CommandReport& report) = 0;
  virtual void LinkStepDone(const LinkStepReport& report) = 0;
};

}  // namespace p25
