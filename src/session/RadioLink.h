#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "link/LinkStatus.h"
#include "protocol/MessageChannel.h"

namespace p25 {

class Clock;
class SerialDevice;

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

  bool IsOpen() const { return open_; }
  LinkStatus& Status() { return status_; }
  MessageChannel& Channel() { return channel_; }
  SerialPort& Port() { return channel_.Port(); }

private:
  bool WriteEachByte(const char* text, size_t count);
  bool DrainConsole(size_t& got);
  bool SendConsoleBaudCommand();
  bool ProbeConsole();

  LinkStatus status_;
  MessageChannel channel_;
  bool open_ = false;
  std::string okTail_;
  Clock& clock_;
};

}  // namespace p25
