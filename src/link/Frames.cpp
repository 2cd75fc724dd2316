#include "link/Frames.h"

#include "link/Crc16.h"

namespace p25 {

bool Level2Frame::AppendCrc() {
  if (length < 0 || length + 2 > Capacity()) {
    Report(kErrorRequestBuilding, "Invalid transmit message");
    return false;
  }
  const uint16_t crc = Crc16(Data(), static_cast<size_t>(length));
  Data()[length] = static_cast<uint8_t>(crc >> 8);
  Data()[length + 1] = static_cast<uint8_t>(crc & 0xFF);
  length += 2;
  return true;
}

bool Level2Frame::CheckCrc() {
  if (length > Capacity() || length < 2) {
    Report(kErrorLevel2Receive, "Invalid length on level 2 receive frame");
    return false;
  }
  length -= 2;
  const uint16_t received = static_cast<uint16_t>(Data()[length] << 8 | Data()[length + 1]);
  if (received == Crc16(Data(), static_cast<size_t>(length))) return true;
  Report(kErrorLevel2Receive, "Invalid CRC on receive frame");
  return false;
}

bool Level1Frame::Encode(const Level2Frame& source) {
  if (source.length > kLevel2Capacity || source.length < 0) {
    Report(kErrorLevel2Transmit, "Level 2 transmit frame too long");
    return false;
  }
  uint8_t* out = Data();
  int n = 0;
  out[n++] = kStartByte;
  const uint8_t* in = source.Data();
  for (int i = 0; i < source.length; ++i) {
    const uint8_t b = in[i];
    if (b == kEscapeByte || b == kStartByte || b == kEndByte) {
      out[n++] = b == kEscapeByte ? 0x00 : (b == kStartByte ? 0x01 : 0x02);
      out[n++] = kEscapeByte;
    } else {
      out[n++] = b;
    }
  }
  out[n++] = kEndByte;
  length = n;
  return true;
}

bool Level1Frame::Decode(Level2Frame& destination) const {
  if (length > kLevel1Capacity) {
    Report(kErrorLevel1Receive, "Level 1 receive frame too long");
    return false;
  }
  const uint8_t* in = Data();
  if (length < 1 || in[0] != kStartByte) {
    Report(kErrorLevel1Receive, "No start byte on Level 1 receive frame");
    return false;
  }
  uint8_t* out = destination.Data();
  const int room = destination.Capacity();
  int i = 0;
  for (int j = 1; j <= length - 2; ++j) {
    const uint8_t b = in[j];
    if (b != kEscapeByte) {
      // The output area holds 260 bytes; a frame that unescapes to more is an over-long Level 2 frame.
      if (i >= room) {
        Report(kErrorLevel2Receive, "Invalid length on level 2 receive frame");
        return false;
      }
      out[i++] = b;
      continue;
    }
    if (i == 0) {
      Report(kErrorLevel1Receive, "Invalid escape position on Level 1 receive frame");
      return false;
    }
    switch (in[j - 1]) {
      case 0x00: out[i - 1] = kEscapeByte; break;
      case 0x01: out[i - 1] = kStartByte; break;
      case 0x02: out[i - 1] = kEndByte; break;
      default:
        Report(kErrorLevel1Receive, "Invalid escape sequence on Level 1 receive frame");
        return false;
    }
  }
  if (length < 2 || in[length - 1] != kEndByte) {
    Report(kErrorLevel1Receive, "No end byte on Level 1 receive frame");
    return false;
  }
  destination.length = i;
  return true;
}

}  // namespace p25
