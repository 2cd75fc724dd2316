#include "protocol/RadioMessage.h"

namespace p25 {

RadioMessage::RadioMessage(LinkStatus& owner, uint32_t id, uint8_t version)
    : owner_(owner), id_(id), version_(version), transmit_(&owner), receive_(&owner) {}

bool RadioMessage::BuildRequest(MessageType type) {
  uint8_t* const start = transmit_.Data() + kMessageHeaderSize;
  uint8_t* cursor = start;
  uint8_t* const last = transmit_.Data() + kMessageHeaderSize + kMaxInformationSize - 1;
  if (!EncodeInfo(cursor, last)) return false;
  const long n = cursor - start;
  if (n > kMaxInformationSize) {
    Report(kErrorRequestBuilding, "Information field too long");
    return false;
  }
  transmit_.Data()[0] = static_cast<uint8_t>(id_);
  transmit_.Data()[1] = static_cast<uint8_t>((version_ << 4) | (static_cast<uint8_t>(type) & 0x0F));
  transmit_.Data()[2] = static_cast<uint8_t>(n);
  transmit_.length = kMessageHeaderSize + static_cast<int>(n);
  return true;
}

bool RadioMessage::CheckHeader(const Level2Frame& reply, uint8_t& type) {
  // A reply shorter than its header reads as zeros past its end rather than beyond the frame.
  const uint8_t id = reply.length > 0 ? reply.Data()[0] : 0;
  const uint8_t versionAndType = reply.length > 1 ? reply.Data()[1] : 0;
  type = versionAndType & 0x0F;
  if (id != static_cast<uint8_t>(id_)) {
    Report(kErrorReplyJudgement, "Unexpected message Id received from radio");
    return false;
  }
  if ((versionAndType >> 4) != (version_ & 0x0F)) {
    Report(kErrorReplyJudgement, "Unexpected message version received from radio");
    return false;
  }
  return true;
}

bool RadioMessage::CheckConfirmation(bool& done) {
  done = true;
  uint8_t type = 0;
  if (!CheckHeader(receive_, type)) return false;
  if (type == static_cast<uint8_t>(MessageType::Confirm)) return true;
  if (type == static_cast<uint8_t>(MessageType::Reject))
    Report(kErrorReplyJudgement, "Negative confirmation received from radio");
  else
    Report(kErrorReplyJudgement, "Unexpected message type received from radio");
  return false;
}

bool RadioMessage::CheckQueryResponse(bool& done) {
  done = true;
  uint8_t type = 0;
  if (!CheckHeader(receive_, type)) return false;
  if (type == static_cast<uint8_t>(MessageType::QueryResponse)) {
    if (DecodeParameters()) return true;
    Report(kErrorReplyJudgement, "Invalid parameters received from radio");
    return false;
  }
  if (type == static_cast<uint8_t>(MessageType::QueryReject))
    Report(kErrorReplyJudgement, "Negative confirmation received from radio");
  else
    Report(kErrorReplyJudgement, "Unexpected message type received from radio");
  return false;
}

bool RadioMessage::DecodeParameters() { return false; }

bool RadioMessage::CheckProgressConfirmation(bool& done) {
  done = true;
  uint8_t type = 0;
  if (!CheckHeader(receive_, type)) return false;
  switch (static_cast<MessageType>(type)) {
    case MessageType::Notice: done = false; return true;
    case MessageType::Confirm: return true;
    case MessageType::Reject:
      Report(kErrorReplyJudgement, "Negative confirmation received from radio");
      return false;
    default:
      Report(kErrorReplyJudgement, "Unexpected message type received from radio");
      return false;
  }
}

bool RadioMessage::CheckOptionalConfirmation(bool& done) {
  done = true;
  uint8_t type = 0;
  if (!CheckHeader(receive_, type)) return false;
  if (type == static_cast<uint8_t>(MessageType::Notice)) {
    done = false;
    return true;
  }
  // A refusal is not an error of its own: the status keeps what the command's start left in it.
  return type == static_cast<uint8_t>(MessageType::Confirm);
}

uint32_t RadioMessage::ReplyValueAt(int offset) const {
  uint32_t value = 0;
  for (int k = 0; k < 4; ++k) {
    const int at = kMessageHeaderSize + offset + k;
    value = (value << 8) | (at < receive_.length ? receive_.Data()[at] : 0u);
  }
  return value;
}

bool EncodeValue(uint8_t*& cursor, uint8_t* last, uint32_t value) {
  if (last - cursor + 1 < 4) return false;
  *cursor++ = static_cast<uint8_t>(value >> 24);
  *cursor++ = static_cast<uint8_t>(value >> 16);
  *cursor++ = static_cast<uint8_t>(value >> 8);
  *cursor++ = static_cast<uint8_t>(value);
  return true;
}

bool EncodeBlock(LinkStatus& status, uint8_t*& cursor, uint8_t* last, uint32_t address, int count,
                 const uint8_t* data) {
  const long room = last - cursor + 1 - 5;
  if (count < 0 || count > room || (count > 0 && data == nullptr)) {
    status.ReportError(kErrorRequestBuilding, "Too much data for message");
    return false;
  }
  EncodeValue(cursor, last, address);
  *cursor++ = static_cast<uint8_t>(count & 0xFF);
  for (int i = 0; i < count; ++i) *cursor++ = data[i];
  return true;
}

}  // namespace p25
