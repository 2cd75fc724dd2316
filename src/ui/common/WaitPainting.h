#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace p25 {

// The engine blocks the window's thread in its pauses and while it waits for the radio. So that the
// desktop does not take the window for dead, those waits let the windows repaint now and then; user
// input stays queued until the engine returns, so a press never interleaves with a tick. Each toolkit
// says how to paint.
class WaitPainter {
public:
  static constexpr int kIntervalMs = 20;

  virtual ~WaitPainter() = default;
  // Pumping happens only while the window runs the engine; the window defers what arrives meanwhile.
  void SetActive(bool active);
  bool Active() const { return active_; }
  void Pump();
  // Whether a pump held user input back since the last call.
  bool TakeHeldInput() { return std::exchange(heldInput_, false); }

protected:
  // Repaints every window of the thread and answers the desktop; handles no input.
  virtual void PaintPending() = 0;

private:
  bool active_ = false;
  bool heldInput_ = false;
  bool pumping_ = false;
  std::optional<std::chrono::steady_clock::time_point> last_;
};

// The engine's clock: sleeps in short slices and paints between them.
class PaintingClock final : public Clock {
public:
  static constexpr uint64_t kSliceMicros = 10'000;

  PaintingClock(Clock& inner, WaitPainter& painter) : inner_(inner), painter_(painter) {}
  uint64_t ElapsedMicros() const override { return inner_.ElapsedMicros(); }
  void SleepMicros(uint64_t us) override;

private:
  Clock& inner_;
  WaitPainter& painter_;
};

// The serial device under the link: paints after each wait for input (each at most a poll tick).
class PaintingSerialDevice final : public SerialDevice {
public:
  PaintingSerialDevice(std::unique_ptr<SerialDevice> inner, WaitPainter& painter)
      : inner_(std::move(inner)), painter_(painter) {}

  bool Open(const std::string& name) override { return inner_->Open(name); }
  bool GetState() override { return inner_->GetState(); }
  bool SetState(uint32_t baudRate) override { return inner_->SetState(baudRate); }
  bool SetTimeouts(const SerialTimeouts& timeouts) override { return inner_->SetTimeouts(timeouts); }
  bool Read(uint8_t* destination, size_t count, size_t& bytesRead) override {
    return inner_->Read(destination, count, bytesRead);
  }
  bool Write(const uint8_t* data, size_t count, size_t& bytesWritten) override {
    return inner_->Write(data, count, bytesWritten);
  }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  uint32_t LastError() const override { return inner_->LastError(); }
  bool DeviceLost() const override { return inner_->DeviceLost(); }
  void WaitForInput(Clock& clock, uint64_t maxMicros) override;

private:
  std::unique_ptr<SerialDevice> inner_;
  WaitPainter& painter_;
};

}  // namespace p25
