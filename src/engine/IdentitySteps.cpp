// The radio's identity: serial number and ESN, the recovery file, the same-radio check and the
// restore of the serial number after the update.
#include <optional>

#include "engine/EngineCatalogue.h"
#include "engine/RecoveryFile.h"
#include "engine/UpdateEngine.h"
#include "platform/CurrentDirectory.h"
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
  const bool ended = recoveryDirectory_.back() == '/' || recoveryDirectory_.back() == PathSeparator();
  return ended ? recoveryDirectory_ + radioEsn : recoveryDirectory_ + PathSeparator() + radioEsn;
}

StepResult UpdateEngine::StepIdentify(const PathRow&) {
  if (values_.selectedPortIndex < 0 || values_.selectedPortIndex >= ports_.Size())
    return StepResult::Failure(FailureDetail("Invalid communications port name"));
  if (values_.selectedBaudIndex < 0 || values_.selectedBaudIndex >= kBaudRateCount)
    return StepResult::Failure(FailureDetail("Invalid baud rate selected"));
  if (!link_.Connect(DeviceName())) return StepResult::Failure(FailureDetail::LinkTextOnly());
  uint32_t serial = static_cast<uint32_t>(radioSerialNumber);
  if (!link_.ReadSerialNumber(serial)) {
    radioEsn.clear();
    return StepResult::SuccessNoting("Radio not responding");
  }
  radioSerialNumber = static_cast<int32_t>(serial);
  radioAnswered_ = true;
  std::string esn;
  bool gotEsn = false;
  for (int read = 0; read < kIdentityReads && !gotEsn; ++read) gotEsn = link_.ReadEsn(esn);
  std::string note;
  if (gotEsn) {
    radioEsn = esn;
    if (esnClaim_) {
      if (const std::string refusal = esnClaim_(radioEsn); !refusal.empty())
        return StepResult::Failure(FailureDetail(refusal));
    }
  } else if (radioSerialNumber != 0 && radioEsn.empty()) {
    // Without an ESN the number has no file to live in: it would exist only in this process, and an
    // erase followed by a crash or power cut would lose it for good.
    return StepResult::Failure(FailureDetail(kNoEsnText));
  } else {
    note = "Radio not responding";
  }
  if (radioSerialNumber != 0) {
    serialAtStart_ = radioSerialNumber;
    esnAtStart_ = radioEsn;
  }
  return StepResult::SuccessNoting(note);
}

StepResult UpdateEngine::StepSaveRecovery(const PathRow&) {
  if (radioEsn.empty()) return StepResult::Success();
  const bool saved = AppendDurably(RecoveryPath(), FormatRecoveryRecord(radioSerialNumber), &recoveryWriteError_);
  observer_->RecoveryFileAction(*this, RecoveryAction::Appended, saved);
  if (!saved) return StepResult::Failure(FailureDetail("Can not write to drive"));
  return StepResult::Success();
}

StepResult UpdateEngine::StepCheckSerial(const PathRow&) {
  // The retry count is cleared when an update starts, not here: clearing it on every pass would let a
  // radio that refuses every rate loop for ever instead of failing after three raises.
  if (radioSerialNumber != 0) return StepResult::Success();
  ++serialPromptCount;
  if (serialPromptCount > 1) return StepResult::Success();
  host_.StopTimer(kUpdateTimer);
  const bool yes = host_.AskYesNo(kNoSerialQuestion);
  host_.StartTimer(kUpdateTimer, kUpdateTimerPeriodMs);
  if (yes) return StepResult::To(UpdateState::Identify);
  return StepResult::Failure(FailureDetail("Update process stopped by user"));
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
  if (answered && !radioEsn.empty())
    observer_->RecoveryFileAction(*this, RecoveryAction::RemovedOtherRadio, RemoveFile(RecoveryPath()));
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

StepResult UpdateEngine::StepRestoreSerial(const PathRow&) {
  bool restored = true;
  bool ok = false;
  bool keepFile = false;
  if (const auto number = NumberToRestore(keepFile)) {
    radioSerialNumber = *number;
    const bool written = link_.SetSerialNumber(static_cast<uint32_t>(radioSerialNumber));
    observer_->RecoveryFileAction(*this, RecoveryAction::Restored, written);
    if (!written) return StepResult::Failure(FailureDetail("Target Radio Not Responding"));
    uint32_t reported = static_cast<uint32_t>(radioSerialNumber);
    ok = link_.ReadSerialNumber(reported);
    if (ok) radioSerialNumber = static_cast<int32_t>(reported);
  } else {
    host_.StopTimer(kUpdateTimer);
    host_.ShowMessage(kNotRestoredNotice);
    host_.StartTimer(kUpdateTimer, kUpdateTimerPeriodMs);
    restored = false;
    uint32_t reported = static_cast<uint32_t>(radioSerialNumber);
    ok = link_.ReadSerialNumber(reported);
    if (ok) radioSerialNumber = static_cast<int32_t>(reported);
  }
  if (!ok) return StepResult::Failure(FailureDetail("Target Radio Not Responding"));
  // The file goes only once the radio holds a number again: until then it is the only good copy.
  if (!radioEsn.empty() && !keepFile && radioSerialNumber != 0)
    observer_->RecoveryFileAction(*this, RecoveryAction::Removed, RemoveFile(RecoveryPath()));
  if (keepFile) observer_->RecoveryFileAction(*this, RecoveryAction::Kept, true);
  values_.ActivityText = restored ? "Update Completed Succesfully" : kCheckSerialText;
  if (radioSerialNumber != 0) return StepResult::Success();
  values_.ActivityText = kRestoringText;
  return StepResult::Failure(FailureDetail("No Serial Number in Target Radio"));
}

}  // namespace p25
