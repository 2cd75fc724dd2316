// The radio commands: each sets its activity, runs one exchange and hands back what it decoded.
#include "protocol/Messages.h"
#include "session/RadioLink.h"

namespace p25 {

bool RadioLink::ChangeBaudRate(uint32_t rate) {
  ChangeBaudRateMessage message(status_, rate);
  status_.SetActivity("Instructing radio to change baud rate");
  if (!channel_.RunCommand(message)) return false;
  condition_.flashCodeRate = rate;
  return true;
}

bool RadioLink::EnterBootMode() {
  EnterBootModeMessage message(status_);
  status_.SetActivity("Instructing radio to enter boot mode");
  if (!channel_.SendNotice(message)) return false;
  condition_.mode = RadioCondition::Mode::BootLoader;
  return true;
}

bool RadioLink::DownloadBootCode(uint32_t address, int count, const uint8_t* data) {
  DownloadBootCodeMessage message(status_, address, count, data);
  status_.SetActivity("Downloading boot code");
  return channel_.RunCommand(message);
}

bool RadioLink::ExecuteBootCode(uint32_t startAddress) {
  ExecuteBootCodeMessage message(status_, startAddress);
  status_.SetActivity("Instructing radio to execute boot code");
  if (!channel_.SendNotice(message)) return false;
  condition_.mode = RadioCondition::Mode::FlashCode;
  condition_.flashCodeRate = Port().BaudRate();
  return true;
}

bool RadioLink::EraseFlash(uint32_t startAddress, uint32_t length) {
  EraseFlashMessage message(status_, startAddress, length);
  status_.SetActivity("Erasing radio flash memory");
  // Counted before the answer: a radio may erase and still fail to say so.
  if (!channel_.Stopped()) condition_.erased = true;
  return channel_.RunCommand(message);
}

bool RadioLink::WriteFlash(uint32_t address, int count, const uint8_t* data) {
  WriteFlashMessage message(status_, address, count, data);
  status_.SetActivity("Writing data to flash memory");
  return channel_.RunCommand(message);
}

bool RadioLink::Reboot() {
  RebootMessage message(status_);
  status_.SetActivity("Rebooting radio");
  if (!channel_.SendNotice(message)) return false;
  condition_.mode = RadioCondition::Mode::Restarted;
  return true;
}

bool RadioLink::ConfirmedReboot() {
  ConfirmedRebootMessage message(status_);
  status_.SetActivity("Rebooting radio");
  return channel_.RunCommand(message);
}

bool RadioLink::ReadSerialNumber(uint32_t& serialNumber) {
  uint32_t decoded = 0;
  ReadSerialNumberMessage message(status_, decoded);
  status_.SetActivity("Reading serial number in radio");
  const bool result = channel_.RunQuery(message);
  if (result) serialNumber = decoded;
  return result;
}

bool RadioLink::SetSerialNumber(uint32_t serialNumber) {
  SetSerialNumberMessage message(status_, serialNumber);
  status_.SetActivity("Setting serial number in radio");
  if (!channel_.RunCommand(message)) return false;
  condition_.serialWritten = true;
  return true;
}

bool RadioLink::ReadEsn(std::string& esn) {
  std::string decoded;
  ReadEsnMessage message(status_, decoded);
  status_.SetActivity("Reading ESN in radio");
  const bool result = channel_.RunQuery(message);
  if (result) esn = decoded;
  return result;
}

bool RadioLink::ReadHwFeatures(uint32_t& features) {
  ReadHwFeaturesMessage message(status_);
  status_.SetActivity("Reading HW Features in radio");
  const bool result = channel_.RunQuery(message);
  features = result ? message.Features() : 0;
  return result;
}

bool RadioLink::SendSignature(int count, const uint8_t* signature) {
  SendSignatureMessage message(status_, count, signature);
  status_.SetActivity("Sending signature to radio");
  return channel_.RunCommand(message);
}

}  // namespace p25
