// The radio's identity: serial number and ESN, the recovery file, the same-radio check and the
// restore of the serial number after the update.
#include <optional>

#include "engine/EngineCatalogue.h"
#include "engine/RecoveryFile.h"
#include "engine/UpdateEngine.h"
#include "platform/FileSystem.h"
#include "session/RadioLink.h"

namespace p25 {

namespace {
constexpr char kNoSerialQuestion[] =
    "Update has not been able to read a serial number from the target radio,"
    " would you like to continue to download this update anyway?  "
    "Make sure the target is set to 9600 BAUD. If the target is in Boot Mode, then select \"Yes\"";
constexpr char kNotRestoredNotice[] =
    "The radio's previous settings could not be restored. Please verify the radio's serial number "
    "reported at the end of the update.";
constexpr char kCheckSerialText[] =
    "Update completed, but the radio's settings were not restored: check the radio's serial number. "
    "The update may have to be restarted";
constexpr char kRestoringText[] = "Restoring the radio's settings failed";
constexpr char kNoEsnText[] = "Unable to read the radio's ESN, so its serial number can not be saved";
constexpr int kIdentityReads = 3;
}  // namespace

std::string UpdateEngine::RecoveryPath() const {
  if (recoveryDirectory_.empty()) return radioEsn;
  return recoveryDirectory_ + "/" + radioEsn;
}

UpdateState UpdateEngine::OnIdentify() {
  if (values_.selectedPortIndex < 0 || values_.selectedPortIndex >= ports_.Size()) {
    values_.ErrorDetail = "Invalid communications port name";
    return UpdateState::Failed;
  }
  if (values_.selectedBaudIndex < 0 || values_.selectedBaudIndex >= kBaudRateCount) {
    values_.ErrorDetail = "Invalid baud rate selected";
    return UpdateState::Failed;
  }
  if (!link_.Connect(DeviceName())) return UpdateState::Failed;
  uint32_t serial = static_cast<uint32_t>(radioSerialNumber);
  if (!link_.ReadSerialNumber(serial)) {
    values_.ErrorDetail = "Radio not responding";
    radioEsn.clear();
    return OnSaveRecovery();
  }
  radioSerialNumber = static_cast<int32_t>(serial);
  radioAnswered_ = true;
  std::string esn;
  bool gotEsn = false;
  for (int read = 0; read < kIdentityReads && !gotEsn; ++read) gotEsn = link_.ReadEsn(esn);
  if (gotEsn) {
    radioEsn = esn;
  } else if (radioSerialNumber != 0 && radioEsn.empty()) {
    // Without an ESN the number has no file to live in: it would exist only in this process, and an
    // erase followed by a crash or power cut would lose it for good.
    values_.ErrorDetail = kNoEsnText;
    return UpdateState::Failed;
  } else {
    values_.ErrorDetail = "Radio not responding";
  }
  if (radioSerialNumber != 0) {
    serialAtStart_ = radioSerialNumber;
    esnAtStart_ = radioEsn;
  }
  return OnSaveRecovery();
}

UpdateState UpdateEngine::OnSaveRecovery() {
  if (!radioEsn.empty() && !AppendDurably(RecoveryPath(), FormatRecoveryRecord(radioSerialNumber))) {
    values_.ErrorDetail = "Can not write to drive";
    return UpdateState::Failed;
  }
  return OnCheckSerial();
}

UpdateState UpdateEngine::OnCheckSerial() {
  // The retry count is cleared when an update starts, not here: clearing it on every pass would let a
  // radio that refuses every rate loop for ever instead of failing after three raises.
  if (radioSerialNumber != 0) return UpdateState::BootMode;
  ++serialPromptCount;
  if (serialPromptCount > 1) return UpdateState::BootMode;
  host_.StopTimer(kUpdateTimer);
  const bool yes = host_.AskYesNo(kNoSerialQuestion);
  host_.StartTimer(kUpdateTimer, kUpdateTimerPeriodMs);
  if (yes) return UpdateState::Identify;
  values_.ErrorDetail = "Update process stopped by user";
  return UpdateState::Failed;
}

bool UpdateEngine::SameRadioCheck() {
  uint32_t scratch = 0;
  bool answered = false;
  for (int read = 0; read < kIdentityReads; ++read) {
    if (link_.ReadSerialNumber(scratch)) answered = true;
    if (static_cast<int32_t>(scratch) == radioSerialNumber) return true;
  }
  // A different radio: the saved number is not this radio's. Reads that all failed say nothing about
  // which radio is there, and the file may hold the only good copy of the number.
  if (answered && !radioEsn.empty()) RemoveFile(RecoveryPath());
  return false;
}

// The number to write back after the reboot: the file's first complete record; in a file without
// one, the number this same radio reported at the start. keepFile tells whether the file must stay.
std::optional<int32_t> UpdateEngine::NumberToRestore(bool& keepFile) const {
  keepFile = false;
  if (radioEsn.empty()) return std::nullopt;
  std::string contents;
  if (!ReadWholeFile(RecoveryPath(), contents)) {
    // There but unreadable (locked, no permission): it may hold the only good copy.
    keepFile = FileMayExist(RecoveryPath());
    return std::nullopt;
  }
  if (auto saved = FirstRecoveryRecord(contents)) return saved;
  keepFile = true;
  if (serialAtStart_ != 0 && radioEsn == esnAtStart_) return serialAtStart_;
  return std::nullopt;
}

UpdateState UpdateEngine::OnRestoreSerial() {
  bool restored = true;
  bool ok = false;
  bool keepFile = false;
  if (const auto number = NumberToRestore(keepFile)) {
    radioSerialNumber = *number;
    ok = link_.SetSerialNumber(static_cast<uint32_t>(radioSerialNumber));
    if (ok) {
      uint32_t reported = static_cast<uint32_t>(radioSerialNumber);
      ok = link_.ReadSerialNumber(reported);
      if (ok) radioSerialNumber = static_cast<int32_t>(reported);
    } else {
      values_.ErrorDetail = "Target Radio Not Responding";
    }
  } else {
    host_.StopTimer(kUpdateTimer);
    host_.ShowMessage(kNotRestoredNotice);
    host_.StartTimer(kUpdateTimer, kUpdateTimerPeriodMs);
    restored = false;
    uint32_t reported = static_cast<uint32_t>(radioSerialNumber);
    ok = link_.ReadSerialNumber(reported);
    if (ok) radioSerialNumber = static_cast<int32_t>(reported);
  }
  if (!ok) {
    values_.ErrorDetail = "Target Radio Not Responding";
    return UpdateState::Failed;
  }
  // The file goes only once the radio holds a number again: until then it is the only good copy.
  if (!radioEsn.empty() && !keepFile && radioSerialNumber != 0) RemoveFile(RecoveryPath());
  values_.ActivityText = restored ? "Update Completed Succesfully" : kCheckSerialText;
  if (radioSerialNumber != 0) return OnComplete();
  values_.ActivityText = kRestoringText;
  values_.ErrorDetail = "No Serial Number in Target Radio";
  return UpdateState::Failed;
}

}  // namespace p25
