#include "protocol/WireTrace.h"

#include <algorithm>
#include <cstdio>

#include "link/Frames.h"
#include "protocol/MessageText.h"

namespace p25 {

namespace {

size_t Index(WireDirection direction) { return direction == WireDirection::ToRadio ? 0 : 1; }

void AppendText(std::string& out, const std::vector<uint8_t>& bytes) {
  out += "text \"";
  for (const uint8_t b : bytes) {
    if (b == '\r') {
      out += "\\r";
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '"' || b == '\\') {
      out += '\\';
      out += static_cast<char>(b);
    } else if (b >= 0x20 && b < 0x7F) {
      out += static_cast<char>(b);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
      out += escaped;
    }
  }
  out += '"';
}

void AppendFrame(std::string& out, const std::vector<uint8_t>& bytes) {
  if (bytes.size() > static_cast<size_t>(kLevel1Capacity)) {
    out += "frame too long";
    return;
  }
  if (bytes.back() != kEndByte) {
    out += "frame without its end";
    return;
  }
  Level1Frame wire;
  std::copy(bytes.begin(), bytes.end(), wire.Data());
  wire.length = static_cast<int>(bytes.size());
  Level2Frame frame;
  if (!wire.Decode(frame)) {
    out += "bad frame";
  } else if (!frame.CheckCrc()) {
    out += "bad CRC";
  } else if (frame.length == 0) {
    out += "ack";
  } else {
    out += DescribeMessage(frame.Data(), frame.length);
  }
}

}  // namespace

void WireTrace::Feed(WireDirection direction, uint64_t micros, uint32_t baudRate, const uint8_t* data, size_t count,
                     std::string& out) {
  const WireDirection otherWay = direction == WireDirection::ToRadio ? WireDirection::FromRadio : WireDirection::ToRadio;
  // Loose bytes one way end where bytes go the other way; a frame only at its end byte.
  if (Side& other = sides_[Index(otherWay)]; !other.inFrame && !other.bytes.empty()) Emit(otherWay, out);
  Side& side = sides_[Index(direction)];
  if (!side.bytes.empty() &&
      (side.baudRate != baudRate || (!side.inFrame && micros - side.lastMicros > kRunGapMicros)))
    Emit(direction, out);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t byte = data[i];
    if (byte == kStartByte) {
      if (!side.bytes.empty()) Emit(direction, out);
      side.inFrame = true;
    }
    if (side.bytes.empty()) {
      side.firstMicros = micros;
      side.baudRate = baudRate;
    }
    side.bytes.push_back(byte);
    side.lastMicros = micros;
    const size_t limit = side.inFrame ? static_cast<size_t>(kLevel1Capacity) + 1 : kRunLength;
    if ((side.inFrame && byte == kEndByte) || side.bytes.size() >= limit) Emit(direction, out);
  }
}

void WireTrace::EndRuns(std::string& out) {
  for (const WireDirection direction : {WireDirection::ToRadio, WireDirection::FromRadio}) {
    const Side& side = sides_[Index(direction)];
    if (!side.inFrame && !side.bytes.empty()) Emit(direction, out);
  }
}

void WireTrace::Finish(std::string& out) {
  for (const WireDirection direction : {WireDirection::ToRadio, WireDirection::FromRadio})
    if (!sides_[Index(direction)].bytes.empty()) Emit(direction, out);
}

void WireTrace::Emit(WireDirection direction, std::string& out) {
  Side& side = sides_[Index(direction)];
  char head[64];
  std::snprintf(head, sizeof head, "%9llu.%03u %s %5u  ", static_cast<unsigned long long>(side.firstMicros / 1000),
                static_cast<unsigned>(side.firstMicros % 1000), direction == WireDirection::ToRadio ? "->" : "<-",
                side.baudRate);
  out += head;
  AppendHex(out, side.bytes.data(), side.bytes.size());
  out += "  ";
  if (side.inFrame) AppendFrame(out, side.bytes);
  else AppendText(out, side.bytes);
  out += '\n';
  side.bytes.clear();
  side.inFrame = false;
}

}  // namespace p25
