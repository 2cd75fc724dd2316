#pragma once
// An in-process radio that answers every request at once, and a clock that counts sleeps instead of
// sleeping: what is left of an exchange's time is the updater's own.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "link/Frames.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "support/Wire.h"

namespace p25::bench {

using Bytes = std::vector<uint8_t>;

inline constexpr int kBlock = 246;

inline double WallMicros() {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The radio's answer to a WriteFlash request: its acknowledgement and its confirmation together.
inline Bytes AcknowledgeAndConfirm() {
  Bytes answer = test::Wire({});
  const Bytes confirm = test::Wire({0x18, 0x12, 0x00});
  answer.insert(answer.end(), confirm.begin(), confirm.end());
  return answer;
}

inline Bytes BlockData() {
  Bytes data(kBlock);
  uint32_t x = 12345;
  // Some bytes are reserved values, so escaping costs what it costs on a real image.
  for (auto& b : data) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 16);
  return data;
}

// Real time, except that sleeps pass at once and are only counted.
class CountingClock final : public Clock {
public:
  uint64_t ElapsedMicros() const override { return real_.ElapsedMicros() + slept_; }
  void SleepMicros(uint64_t us) override { slept_ += us; }
  uint64_t Slept() const { return slept_; }

private:
  RealClock real_;
  uint64_t slept_ = 0;
};

// An in-process radio that acknowledges and confirms every request the moment it is written.
class PromptRadio final : public SerialDevice {
public:
  bool Open(const std::string&) override { return open_ = true; }
  bool GetState() override { return true; }
  bool SetState(uint32_t) override { return true; }
  bool SetTimeouts(const SerialTimeouts&) override { return true; }
  bool Read(uint8_t* destination, size_t count, size_t& bytesRead) override {
    bytesRead = std::min(count, pending_.size() - position_);
    std::memcpy(destination, pending_.data() + position_, bytesRead);
    position_ += bytesRead;
    return true;
  }
  bool Write(const uint8_t*, size_t count, size_t& bytesWritten) override {
    bytesWritten = count;
    if (count > 4) {  // a request, not an acknowledgement
      pending_ = answer_;
      position_ = 0;
    }
    return true;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  uint32_t LastError() const override { return 0; }
  void WaitForInput(Clock& clock, uint64_t maxMicros) override {
    if (position_ == pending_.size()) clock.SleepMicros(maxMicros);
  }

private:
  const Bytes answer_ = AcknowledgeAndConfirm();
  Bytes pending_;
  size_t position_ = 0;
  bool open_ = false;
};

}  // namespace p25::bench
