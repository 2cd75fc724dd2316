#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace p25 {

class Clock;

// Read and write time-outs in the form of the Win32 COMMTIMEOUTS record.
struct SerialTimeouts {
  uint32_t readIntervalTimeout = 0xFFFFFFFFu;
  uint32_t readTotalTimeoutMultiplier = 0;
  uint32_t readTotalTimeoutConstant = 0;
  uint32_t writeTotalTimeoutMultiplier = 4;
  uint32_t writeTotalTimeoutConstant = 1000;
};

// The OS work behind SerialPort, one call per platform step so each failure keeps its own code and text.
// Reads never block: with the time-outs above they return at once with what the driver holds.
class SerialDevice {
public:
  virtual ~SerialDevice() = default;

  // Opens the device for exclusive, non-overlapped use.
  virtual bool Open(const std::string& name) = 0;
  // Reads the device's current settings (the driver's DCB or termios) as the base for SetState.
  virtual bool GetState() = 0;
  // Applies 8 data bits, no parity, one stop bit, no flow control, DTR and RTS raised, at the rate.
  virtual bool SetState(uint32_t baudRate) = 0;
  virtual bool SetTimeouts(const SerialTimeouts& timeouts) = 0;
  virtual bool Read(uint8_t* destination, size_t count, size_t& bytesRead) = 0;
  // Writes until every byte is out or the write time-out expires; bytesWritten tells how far it got.
  virtual bool Write(const uint8_t* data, size_t count, size_t& bytesWritten) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The OS last-error value of the most recent failed call.
  virtual uint32_t LastError() const = 0;
  // True once the OS has said the device is gone (hung up, unplugged) since it was opened: nothing
  // will answer on it, so waiting out time-outs and retries only delays the failure.
  virtual bool DeviceLost() const { return false; }

  // Waits at most maxMicros for input to arrive, returning early when it does. Devices that cannot
  // wait for input sleep the whole time on the clock.
  virtual void WaitForInput(Clock& clock, uint64_t maxMicros);
};

// The backend of this OS.
std::unique_ptr<SerialDevice> CreateSystemSerialDevice();

// Text of an OS error code, for people ("Permission denied").
std::string SystemErrorText(uint32_t code);

}  // namespace p25
