#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "link/LinkStatus.h"

namespace p25 {

inline constexpr uint8_t kStartByte = 0xDB;
inline constexpr uint8_t kEndByte = 0xBC;
inline constexpr uint8_t kEscapeByte = 0xCD;
inline constexpr int kLevel2Capacity = 260;
inline constexpr int kLevel1Capacity = 2 * kLevel2Capacity + 2;

// Common part of both frame kinds: a length and a data area of the derived class's capacity.
class FrameBuffer {
public:
  explicit FrameBuffer(LinkStatus* owner) : owner_(owner) {}
  virtual ~FrameBuffer() = default;
  FrameBuffer(const FrameBuffer&) = default;
  FrameBuffer& operator=(const FrameBuffer&) = default;

  virtual const uint8_t* Data() const = 0;
  virtual uint8_t* Data() = 0;
  virtual int Capacity() const = 0;

  int length = 0;

protected:
  // Errors go to the owner's status; a frame without an owner (the simulated radio's) reports nowhere.
  void Report(uint32_t code, const char* text) const {
    if (owner_ != nullptr) owner_->ReportError(code, text);
  }

private:
  LinkStatus* owner_;
};

// Message bytes followed by the two CRC bytes; an empty payload is the acknowledgement.
class Level2Frame final : public FrameBuffer {
public:
  explicit Level2Frame(LinkStatus* owner = nullptr) : FrameBuffer(owner) {}
  const uint8_t* Data() const override { return data_.data(); }
  uint8_t* Data() override { return data_.data(); }
  int Capacity() const override { return kLevel2Capacity; }

  bool AppendCrc();
  // Checks length and CRC and removes the CRC from the length (even when the check fails).
  bool CheckCrc();

private:
  std::array<uint8_t, kLevel2Capacity> data_{};
};

// Start byte, escaped Level 2 bytes, end byte.
class Level1Frame final : public FrameBuffer {
public:
  explicit Level1Frame(LinkStatus* owner = nullptr) : FrameBuffer(owner) {}
  const uint8_t* Data() const override { return data_.data(); }
  uint8_t* Data() override { return data_.data(); }
  int Capacity() const override { return kLevel1Capacity; }

  bool Encode(const Level2Frame& source);
  bool Decode(Level2Frame& destination) const;

private:
  std::array<uint8_t, kLevel1Capacity> data_{};
};

}  // namespace p25
