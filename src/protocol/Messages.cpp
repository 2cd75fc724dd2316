#include "protocol/Messages.h"

#include <cstdio>

namespace p25 {

bool EmptyMessage::EncodeInfo(uint8_t*& /*cursor*/, uint8_t* /*last*/) { return true; }

bool ValueMessage::EncodeInfo(uint8_t*& cursor, uint8_t* last) { return EncodeValue(cursor, last, value_); }

bool BlockMessage::EncodeInfo(uint8_t*& cursor, uint8_t* last) {
  return EncodeBlock(owner_, cursor, last, address_, count_, data_);
}

bool SelectorMessage::EncodeInfo(uint8_t*& cursor, uint8_t* /*last*/) {
  *cursor++ = selector_;
  return true;
}

bool EraseFlashMessage::EncodeInfo(uint8_t*& cursor, uint8_t* last) {
  return EncodeValue(cursor, last, start_) && EncodeValue(cursor, last, length_);
}

bool SendSignatureMessage::EncodeInfo(uint8_t*& cursor, uint8_t* last) {
  // The field holds at most 255 bytes; a longer signature is refused rather than overrunning the frame.
  if (count_ < 0 || count_ > last - cursor + 1 || (count_ > 0 && signature_ == nullptr)) {
    Report(kErrorRequestBuilding, "Too much data for message");
    return false;
  }
  for (int i = 0; i < count_; ++i) *cursor++ = signature_[i];
  return true;
}

// A reply too short to hold the values asked for is refused instead of read as zeros.
namespace {
bool Holds(const Level2Frame& reply, int informationBytes) {
  return reply.length >= kMessageHeaderSize + informationBytes;
}
}  // namespace

bool ReadSerialNumberMessage::DecodeParameters() {
  if (!Holds(ReceiveFrame(), 4)) return false;
  serialNumber_ = ReplyValueAt(0);
  return true;
}

bool ReadEsnMessage::DecodeParameters() {
  if (!Holds(ReceiveFrame(), 13)) return false;
  esn_ = FormatEsn(ReplyValueAt(5), ReplyValueAt(9));
  return true;
}

bool ReadHwFeaturesMessage::DecodeParameters() {
  if (!Holds(ReceiveFrame(), 4)) return false;
  features_ = ReplyValueAt(0);
  return true;
}

std::string FormatEsn(uint32_t high, uint32_t low) {
  char text[24];
  std::snprintf(text, sizeof text, "%04X%04X", high, low);
  return text;
}

}  // namespace p25
