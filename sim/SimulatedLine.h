#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "LineModel.h"
#include "SimulatedRadio.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace p25 {

// A serial port with a SimulatedRadio at the other end of the cable, on virtual time. It stands in
// for the OS serial device under SerialPort, so the updater's whole stack runs unchanged:
//
//   SimulatedRadio::Options options;          // identity, faults, ...
//   options.serialNumber = 4711;
//   options.faults.refuseSignatures = 2;
//   SimulatedRadio radio(options);
//   VirtualClock clock;
//   RadioLink link(std::make_unique<SimulatedLine>(radio, clock), clock);
//   link.Connect("\\\\.\\COM1");               // any device name opens
//   ...                                        // run commands or a whole update
//   radio.SerialNumber(), radio.Flash().Read(0x10000, 4096), radio.RegionAt(0x10000)->state,
//   radio.CurrentMode(), radio.Stats() tell what the radio ended up with.
//
// The line keeps time as a real one does: each byte takes 10 bits at the port's configured rate, a
// write returns once its bytes are on the wire, and WaitForInput advances the clock only until the
// radio's next byte is in (or its own timers fire), so a whole update runs in milliseconds of real
// time yet takes realistic virtual time. The radio hears the port's rate: if it differs from the
// radio's, bytes arrive garbled in both directions.
//
// The line installs itself as the clock's listener (so every sleep lets the radio run): one line per
// clock at a time, and the radio and the clock must outlive it. Bytes the radio sends while the port
// is closed are lost.
class SimulatedLine final : public SerialDevice, private VirtualClock::Listener {
public:
  static constexpr size_t kDriverBufferSize = 4096;

  SimulatedLine(SimulatedRadio& radio, VirtualClock& clock);
  ~SimulatedLine() override;
  SimulatedLine(const SimulatedLine&) = delete;
  SimulatedLine& operator=(const SimulatedLine&) = delete;

  bool Open(const std::string& name) override;
  bool GetState() override;
  bool SetState(uint32_t baudRate) override;
  bool SetTimeouts(const SerialTimeouts& timeouts) override;
  bool Read(uint8_t* destination, size_t count, size_t& bytesRead) override;
  bool Write(const uint8_t* data, size_t count, size_t& bytesWritten) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  uint32_t LastError() const override { return lastError_; }
  void WaitForInput(Clock& clock, uint64_t maxMicros) override;

  // Port faults for the updater's own error paths: every open fails as if another program held the
  // port (EBUSY); a refused rate fails configuration (EINVAL).
  void SetOpenFails(bool fails) { openFails_ = fails; }
  void RefuseRate(uint32_t rate) { refusedRates_.push_back(rate); }

  uint32_t Rate() const { return rate_; }
  const std::string& DeviceName() const { return name_; }

private:
  struct Arrival {
    uint64_t at;
    uint8_t byte;
    uint32_t rate;
  };

  void TimeAdvanced(uint64_t nowMicros) override;
  bool Fail(uint32_t error);

  SimulatedRadio& radio_;
  VirtualClock& clock_;
  bool open_ = false;
  bool openFails_ = false;
  std::string name_;
  uint32_t rate_ = 9600;
  std::vector<uint32_t> refusedRates_;
  SerialTimeouts timeouts_;
  uint32_t lastError_ = 0;
  std::deque<uint8_t> received_;  // the driver's input buffer
  std::deque<Arrival> toRadio_;   // bytes on the wire towards the radio
  uint64_t txFree_ = 0;
  RateGarbler garbler_;
  std::vector<uint8_t> scratch_;
};

}  // namespace p25
