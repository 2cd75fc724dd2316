#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "link/Frames.h"
#include "link/LinkStatus.h"
#include "link/WireObserver.h"
#include "platform/SerialDevice.h"

namespace p25 {

class Clock;

// The byte pipe to the radio: opens and configures the device, keeps a receive buffer from which
// frames are collected one byte at a time, and a poll timer that bounds every wait for bytes.
class SerialPort {
public:
  static constexpr size_t kReceiveBufferSize = 512;
  static constexpr int kAttempts = 3;
  static constexpr int kAcknowledgementWaitMs = 500;
  static constexpr int kTickMs = 10;
  static constexpr int kAcknowledgementPauseMs = 30;

  SerialPort(LinkStatus& status, std::unique_ptr<SerialDevice> device, Clock& clock);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool Open(const std::string& name, uint32_t baudRate);
  void Close();
  bool IsOpen() const { return device_->IsOpen(); }
  // The device is gone (hung up, unplugged): every wait and retry on it ends at once.
  bool DeviceLost() const { return device_->DeviceLost(); }
  bool Read(uint8_t* destination, size_t count, size_t& bytesRead);
  bool Write(const uint8_t* data, size_t count);
  bool FlushInput();

  // Poll timer. Only time spent waiting for input counts, so a nominal wait is never cut short,
  // but the wait ends its tick early when bytes arrive.
  void StartTimer(int32_t ms);
  bool TimerRunning() const;
  void TimerTick();
  bool NextByte(uint8_t& byte, bool& got);

  // Frame exchanges.
  bool SendFrame(const Level2Frame& frame);
  bool ReceiveFrame(Level2Frame& destination);
  bool SendWithAck(const Level2Frame& frame);
  bool ReceiveWithAck(Level2Frame& destination, int32_t timeoutMs);

  // Every byte written and read goes to the observer as well; null stops it.
  void SetWireObserver(WireObserver* observer) { wire_ = observer; }
  // Frames SendWithAck has sent since the port was made, every try counted.
  uint32_t SendAttempts() const { return sendAttempts_; }

  uint32_t BaudRate() const { return baudRate_; }
  const SerialTimeouts& Timeouts() const { return timeouts_; }
  SerialDevice& Device() { return *device_; }
  Clock& GetClock() { return clock_; }
  int32_t Ticks() const { return static_cast<int32_t>(waitedMicros_ / (kTickMs * 1000)); }
  int32_t TickLimit() const { return tickLimit_; }
  size_t Available() const { return available_; }

private:
  bool Configure();

  LinkStatus& status_;
  std::unique_ptr<SerialDevice> device_;
  Clock& clock_;
  uint32_t baudRate_ = 9600;
  SerialTimeouts timeouts_;
  std::array<uint8_t, kReceiveBufferSize> receiveBuffer_{};
  size_t readPosition_ = 0;
  size_t available_ = 0;
  uint64_t waitedMicros_ = 0;
  int32_t tickLimit_ = 0;
  uint32_t sendAttempts_ = 0;
  WireObserver* wire_ = nullptr;
};

}  // namespace p25
