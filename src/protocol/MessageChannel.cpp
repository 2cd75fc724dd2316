#include "protocol/MessageChannel.h"

namespace p25 {

bool MessageChannel::Exchange(RadioMessage& message, MessageType type, bool query) {
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
  return message.BuildRequest(MessageType::Notice) && message.TransmitFrame().AppendCrc() &&
         port_.SendWithAck(message.TransmitFrame());
}

}  // namespace p25
