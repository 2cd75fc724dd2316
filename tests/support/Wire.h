#pragma once
// Byte vectors as tests write them: hex text, and messages in the framed form they take on the line.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

#include "link/Frames.h"
#include "support/ScriptedDevice.h"

namespace p25::test {

// "DB 1A 11" -> {0xDB, 0x1A, 0x11}.
inline Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  std::string word;
  while (in >> word) out.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  return out;
}

inline std::string ToHex(const uint8_t* bytes, size_t count) {
  std::string text;
  char word[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(word, sizeof word, i == 0 ? "%02X" : " %02X", bytes[i]);
    text += word;
  }
  return text;
}
inline std::string ToHex(const Bytes& bytes) { return ToHex(bytes.data(), bytes.size()); }

inline const Bytes kAck = {0xDB, 0xFF, 0xFF, 0xBC};

// The Level 2 frame of a message, CRC included.
inline Level2Frame Frame(const Bytes& message) {
  Level2Frame level2;
  std::copy(message.begin(), message.end(), level2.Data());
  level2.length = static_cast<int>(message.size());
  level2.AppendCrc();
  return level2;
}

// The Level 1 frame of a message, as it goes on the line.
inline Bytes Wire(const Bytes& message) {
  Level1Frame level1;
  level1.Encode(Frame(message));
  return Bytes(level1.Data(), level1.Data() + level1.length);
}

// The message a Level 1 frame carries, if it decodes and its CRC is good.
inline std::optional<Bytes> Message(const Bytes& wire) {
  Level1Frame level1;
  if (wire.size() > static_cast<size_t>(level1.Capacity())) return std::nullopt;
  std::copy(wire.begin(), wire.end(), level1.Data());
  level1.length = static_cast<int>(wire.size());
  Level2Frame level2;
  if (!level1.Decode(level2) || !level2.CheckCrc()) return std::nullopt;
  return Bytes(level2.Data(), level2.Data() + level2.length);
}

// A radio that acknowledges every request frame and answers it with `reply` (no reply when empty);
// acknowledgements and console bytes get nothing back.
inline ScriptedDevice::Peer Radio(Bytes reply, uint32_t delayMs = 0) {
  return [reply, delayMs](const Bytes& written, ScriptedDevice&) {
    std::vector<ScriptedDevice::Reply> out;
    const auto message = Message(written);
    if (!message || message->empty()) return out;
    out.push_back({kAck, 0});
    if (!reply.empty()) out.push_back({Wire(reply), delayMs});
    return out;
  };
}

}  // namespace p25::test
