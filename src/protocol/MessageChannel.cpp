#include "protocol/MessageChannel.h"

#include "platform/Clock.h"
#include "platform/StopSignal.h"

namespace p25 {

bool MessageChannel::Stopped() const { return stop_ != nullptr && stop_->Raised(); }

bool MessageChannel::Refused() const {
  if (!Stopped()) return false;
  owner_.ReportError(kErrorRequestBuilding, "Update stopped before the request was sent");
  return true;
}

bool MessageChannel::Exchange(RadioMessage& message, MessageType type) {
  if (observer_ == nullptr) return Transact(message, type);
  const uint64_t start = clock_.ElapsedMicros();
  const uint32_t sentBefore = port_.SendAttempts();
  const bool ok = Transact(message, type);
  const auto sends = static_cast<int>(port_.SendAttempts() - sentBefore);
  observer_->CommandDone({message, type, ok, start, clock_.ElapsedMicros() - start, sends, owner_});
  return ok;
}

bool MessageChannel::Transact(RadioMessage& message, MessageType type) {
  if (Refused()) return false;
  if (!message.BuildRequest(type) || !message.TransmitFrame().AppendCrc() ||
      !port_.SendWithAck(message.TransmitFrame()))
    return false;
  // A notice is only acknowledged.
  if (type == MessageType::Notice) return true;
  for (;;) {
    if (!port_.ReceiveWithAck(message.ReceiveFrame(), responseTimeout_)) return false;
    bool done = true;
    const bool result =
        type == MessageType::Query ? message.CheckQueryResponse(done) : message.CheckConfirmation(done);
    if (done) return result;
  }
}

bool MessageChannel::RunCommand(RadioMessage& message) { return Exchange(message, MessageType::Command); }

bool MessageChannel::RunQuery(RadioMessage& message) { return Exchange(message, MessageType::Query); }

bool MessageChannel::SendNotice(RadioMessage& message) { return Exchange(message, MessageType::Notice); }

}  // namespace p25
