#include "link/SerialPort.h"

#include <algorithm>

#include "platform/Clock.h"

namespace p25 {

namespace {
uint32_t WriteMultiplierFor(uint32_t baudRate) {
  return baudRate == 0 ? 30000u : (30000u + baudRate - 1) / baudRate;
}
}  // namespace

SerialPort::SerialPort(LinkStatus& status, std::unique_ptr<SerialDevice> device, Clock& clock)
    : status_(status), device_(std::move(device)), clock_(clock) {
  timeouts_.writeTotalTimeoutMultiplier = WriteMultiplierFor(baudRate_);
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const std::string& name, uint32_t baudRate) {
  baudRate_ = baudRate;
  timeouts_.writeTotalTimeoutMultiplier = WriteMultiplierFor(baudRate);
  // A handle still held is let go first, so a failed reopen leaves the port closed on every backend.
  device_->Close();
  if (!device_->Open(name)) {
    status_.ReportSystemError(kErrorPortOpen, "Failed to open communications port", device_->LastError());
    return false;
  }
  if (!Configure()) {
    device_->Close();
    return false;
  }
  return true;
}

bool SerialPort::Configure() {
  if (!device_->GetState()) {
    status_.ReportSystemError(kErrorPortConfiguration, "Failed to get state of communications port",
                              device_->LastError());
    return false;
  }
  if (!device_->SetState(baudRate_)) {
    status_.ReportSystemError(kErrorPortConfiguration, "Failed to configure communications port",
                              device_->LastError());
    return false;
  }
  if (!device_->SetTimeouts(timeouts_)) {
    status_.ReportSystemError(kErrorPortConfiguration, "Failed to set communications port timeout",
                              device_->LastError());
    return false;
  }
  return true;
}

void SerialPort::Close() { device_->Close(); }

bool SerialPort::Read(uint8_t* destination, size_t count, size_t& bytesRead) {
  const bool read = device_->Read(destination, count, bytesRead);
  if (wire_ != nullptr && read && bytesRead > 0)
    wire_->WireBytes(WireDirection::FromRadio, clock_.ElapsedMicros(), baudRate_, destination, bytesRead);
  if (!read) {
    bytesRead = 0;
    status_.ReportSystemError(kErrorPortRead, "Failed to read from serial port", device_->LastError());
    return false;
  }
  return true;
}

bool SerialPort::Write(const uint8_t* data, size_t count) {
  size_t written = 0;
  const bool sent = device_->Write(data, count, written);
  if (wire_ != nullptr && written > 0)
    wire_->WireBytes(WireDirection::ToRadio, clock_.ElapsedMicros(), baudRate_, data, std::min(written, count));
  if (!sent) {
    status_.ReportSystemError(kErrorPortWrite, "Failed to write to serial port", device_->LastError());
    return false;
  }
  if (written < count) {
    status_.ReportError(kErrorPortWrite, "Failed to write full message to serial port");
    return false;
  }
  return true;
}

bool SerialPort::FlushInput() {
  std::array<uint8_t, kReceiveBufferSize> scratch{};
  bool result = true;
  for (;;) {
    size_t got = 0;
    if (!Read(scratch.data(), scratch.size(), got)) {
      result = false;
      break;
    }
    if (got == 0) break;
  }
  available_ = 0;
  readPosition_ = 0;
  return result;
}

void SerialPort::StartTimer(int32_t ms) {
  waitedMicros_ = 0;
  tickLimit_ = ms / kTickMs;
}

bool SerialPort::TimerRunning() const {
  return tickLimit_ > 0 && waitedMicros_ < static_cast<uint64_t>(tickLimit_) * kTickMs * 1000;
}

void SerialPort::TimerTick() {
  const uint64_t limit = tickLimit_ > 0 ? static_cast<uint64_t>(tickLimit_) * kTickMs * 1000 : 0;
  const uint64_t room = limit > waitedMicros_ ? limit - waitedMicros_ : 0;
  const uint64_t want = std::min<uint64_t>(uint64_t{kTickMs} * 1000, std::max<uint64_t>(room, 1));
  const uint64_t start = clock_.ElapsedMicros();
  device_->WaitForInput(clock_, want);
  const uint64_t spent = clock_.ElapsedMicros() - start;
  waitedMicros_ += std::min(spent, want);
}

bool SerialPort::NextByte(uint8_t& byte, bool& got) {
  got = false;
  bool result = true;
  if (available_ == 0) {
    while (TimerRunning()) {
      TimerTick();
      readPosition_ = 0;
      result = Read(receiveBuffer_.data(), receiveBuffer_.size(), available_);
      if (available_ > 0 || (!result && DeviceLost())) break;
    }
    if (!result) return false;
  }
  if (available_ > 0) {
    byte = receiveBuffer_[readPosition_++];
    --available_;
    got = true;
  }
  return result;
}

}  // namespace p25
