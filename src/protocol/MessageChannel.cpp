#include "protocol/MessageChannel.h"

#include "platform/StopSignal.h"

namespace p25 {

bool MessageChannel::Stopped() const { return stop_ != nullptr && stop_->Raised(); }

bool MessageChannel::Refused() const {
  if (!Stopped()) return false;
  owner_.ReportError(kErrorRequestBuilding, "Update stopped before the request was sent");
  return true;
}

bool MessageChannel::Exchange(RadioMessage& message, MessageType type, bool query) {
  if (Refused()) return false;
  if (!message.BuildRequest(type) || !message.TransmitFrame().AppendCrc() ||
      !port_.SendWithAck(message.TransmitFrame()))
    return false;
  for (;;) {
    if (!port_.ReceiveWithAck(message.ReceiveFrame(), responseTimeout_)) return false;
    bool done = true;
    const bool result = query ? message.CheckQueryResponse(done) : message.CheckConfirmation(done);
    if (done) return result;
  }
}

bool MessageChannel::RunCommand(RadioMessage& message) { return Exchange(message, MessageType::Command, false); }

bool MessageChannel::RunQuery(RadioMessage& message) { return Exchange(message, MessageType::Query, true); }

bool MessageChannel::SendNotice(RadioMessage& message) {
  return !Refused() && message.BuildRequest(MessageType::Notice) && message.TransmitFrame().AppendCrc() &&
         port_.SendWithAck(message.TransmitFrame());
}

}  // namespace p25
