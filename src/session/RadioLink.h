#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "link/LinkStatus.h"
#include "protocol/MessageChannel.h"

namespace p25 {

class Clock;
class SerialDevice;
class StopSignal;

// What this updater has done to the radio since the update began, as far as it can know from the
// requests the radio took: the basis of every word on the radio's state after a stop or a failure.
struct RadioCondition {
  enum class Mode { Untouched, ConsoleAt9600, BootLoader, FlashCode, Restarted };
  Mode mode = Mode::Untouched;
  uint32_t flashCodeRate = 0;  // the rate the FLASH code talks at
  bool erased = false;         // an erase went out: images may be gone until an update completes
  bool serialWritten = false;  // the kept serial number went back into the radio after its restart
  bool portOpened = false;     // the port was open at some time, so bytes may have reached a radio
};

// The updater's one session with the radio: the port at a rate, the console step into the framed
// protocol, the restart watch, and the radio commands.
class RadioLink {
public:
  RadioLink(std::unique_ptr<SerialDevice> device, Clock& clock);
  ~RadioLink();
  RadioLink(const RadioLink&) = delete;
  RadioLink& operator=(const RadioLink&) = delete;

  bool OpenComms(const std::string& deviceName, uint32_t baudRate);
  bool CloseComms();
  bool Connect(const std::string& deviceName);
  bool PollForOk();
  const std::string& LastError(uint32_t* code = nullptr, uint32_t* systemCode = nullptr,
                               std::string* activity = nullptr) const {
    return status_.LastError(code, systemCode, activity);
  }
  void SetActivity(const std::string& text) { status_.SetActivity(text); }

  // Radio commands.
  bool ChangeBaudRate(uint32_t rate);
  bool EnterBootMode();
  bool DownloadBootCode(uint32_t address, int count, const uint8_t* data);
  bool ExecuteBootCode(uint32_t startAddress);
  bool EraseFlash(uint32_t startAddress, uint32_t length);
  bool WriteFlash(uint32_t address, int count, const uint8_t* data);
  bool Reboot();
  bool ConfirmedReboot();
  bool ReadSerialNumber(uint32_t& serialNumber);
  bool SetSerialNumber(uint32_t serialNumber);
  bool ReadEsn(std::string& esn);
  bool ReadHwFeatures(uint32_t& features);
  bool SendSignature(int count, const uint8_t* signature);

  const RadioCondition& Condition() const { return condition_; }
  void ResetCondition() { condition_ = RadioCondition{}; }
  // Pauses and new requests end once the stop is raised.
  void WatchStop(const StopSignal* stop) { channel_.WatchStop(stop); }
  // Every radio command, port open and console step goes to the observer once it has ended; null
  // stops it.
  void SetCommandObserver(CommandObserver* observer) {
    observer_ = observer;
    channel_.SetObserver(observer);
  }

  bool IsOpen() const { return open_; }
  // The port's device is gone: no answer can come, so callers stop retrying.
  bool DeviceLost() const { return channel_.Port().DeviceLost(); }
  LinkStatus& Status() { return status_; }
  MessageChannel& Channel() { return channel_; }
  SerialPort& Port() { return channel_.Port(); }

private:
  bool WriteEachByte(const char* text, size_t count);
  bool DrainConsole(size_t& got);
  bool SendConsoleBaudCommand();
  bool ProbeConsole();
  // Runs one link step and reports it to the observer.
  template <typename Step>
  bool Observed(std::string_view what, const std::string& device, uint32_t baudRate, Step step);

  LinkStatus status_;
  MessageChannel channel_;
  bool open_ = false;
  RadioCondition condition_;
  std::string okTail_;
  Clock& clock_;
  CommandObserver* observer_ = nullptr;
};

}  // namespace p25
