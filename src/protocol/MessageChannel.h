#pragma once
#include <cstdint>
#include <memory>

#include "link/SerialPort.h"
#include "protocol/RadioMessage.h"

namespace p25 {

// Carries messages over the port: a Command answered by a confirmation, a Query answered by
// parameters, a Notice only acknowledged.
class MessageChannel {
public:
  static constexpr int32_t kResponseTimeoutMs = 30000;

  MessageChannel(LinkStatus& owner, std::unique_ptr<SerialDevice> device, Clock& clock)
      : port_(owner, std::move(device), clock) {}

  bool RunCommand(RadioMessage& message);
  bool RunQuery(RadioMessage& message);
  bool SendNotice(RadioMessage& message);

  SerialPort& Port() { return port_; }

private:
  bool Exchange(RadioMessage& message, MessageType type, bool query);

  SerialPort port_;
  int32_t responseTimeout_ = kResponseTimeoutMs;
};

}  // namespace p25
