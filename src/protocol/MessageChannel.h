#pragma once
#include <cstdint>
#include <memory>

#include "link/SerialPort.h"
#include "protocol/CommandObserver.h"
#include "protocol/RadioMessage.h"

namespace p25 {

class StopSignal;

// Carries messages over the port: a Command answered by a confirmation, a Query answered by
// parameters, a Notice only acknowledged.
class MessageChannel {
public:
  static constexpr int32_t kResponseTimeoutMs = 30000;

  MessageChannel(LinkStatus& owner, std::unique_ptr<SerialDevice> device, Clock& clock)
      : owner_(owner), port_(owner, std::move(device), clock), clock_(clock) {}

  bool RunCommand(RadioMessage& message);
  bool RunQuery(RadioMessage& message);
  bool SendNotice(RadioMessage& message);

  // Once the stop is raised, no further request goes out; one already on the line is let finish.
  void WatchStop(const StopSignal* stop) { stop_ = stop; }
  // True when the stop is raised, so the next request will not go out.
  bool Stopped() const;
  // Every request goes to the observer once it has ended; null stops it.
  void SetObserver(CommandObserver* observer) { observer_ = observer; }

  SerialPort& Port() { return port_; }
  const SerialPort& Port() const { return port_; }

private:
  bool Exchange(RadioMessage& message, MessageType type);
  bool Transact(RadioMessage& message, MessageType type);

  bool Refused() const;

  LinkStatus& owner_;
  SerialPort port_;
  Clock& clock_;
  const StopSignal* stop_ = nullptr;
  CommandObserver* observer_ = nullptr;
  int32_t responseTimeout_ = kResponseTimeoutMs;
};

}  // namespace p25
