// Plain words on the state an update left the radio in, from what the updater knows it did, and what
// the technician has to do next.
#include "engine/RecoveryFile.h"
#include "engine/UpdateEngine.h"
#include "platform/FileSystem.h"
#include "platform/SerialDevice.h"
#include "session/RadioLink.h"

namespace p25 {

std::optional<int32_t> UpdateEngine::RecoveryRecord() const {
  std::string contents;
  if (radioEsn.empty() || !ReadWholeFile(RecoveryPath(), contents)) return std::nullopt;
  return FirstRecoveryRecord(contents);
}

std::string UpdateEngine::DescribeRadio() const {
  using Mode = RadioCondition::Mode;
  const RadioCondition& condition = link_.Condition();
  const std::optional<int32_t> record = RecoveryRecord();
  const int32_t kept = record ? *record : serialAtStart_;
  const std::string number = std::to_string(kept);
  if (condition.mode == Mode::Restarted && condition.erased) {
    if (condition.serialWritten) return "The radio restarted with its new firmware and its serial number was written back.";
    if (kept == 0) return "The radio restarted with its new firmware; it had no serial number to restore.";
    return "The radio restarted with its new firmware, but its serial number was not restored: update it again to "
           "restore serial number " + number + ".";
  }
  if (condition.erased) {
    std::string text = "Some images were erased: the radio will not work until an update completes; ";
    if (kept == 0) return text + "it had no serial number to keep.";
    if (record) return text + "its serial number " + number + " is kept in " + RecoveryPath() + ".";
    return text + "note its serial number " + number + ", which could not be kept in a file.";
  }
  switch (condition.mode) {
    case Mode::Untouched: return "The radio was not changed.";
    case Mode::ConsoleAt9600:
      return "The radio was not changed; only its console was set to 9600 baud (switching it off and on sets it back).";
    case Mode::BootLoader:
      return "The radio is in its boot loader and its firmware was not changed: switch the radio off and on before "
             "updating it again.";
    case Mode::FlashCode:
      return "The radio is running the FLASH code at " + std::to_string(condition.flashCodeRate) +
             " baud and its firmware was not changed: switch the radio off and on before updating it again.";
    case Mode::Restarted: return "The radio restarted; its firmware was not changed.";
  }
  return {};
}

std::string UpdateEngine::FailureAdvice() const {
  if (recoveryWriteError_ != 0)
    return "The recovery file " + RecoveryPath() + " could not be written (" + SystemErrorText(recoveryWriteError_) +
           "): start the updater in a folder you may write to, then update the radio again. " + DescribeRadio();
  const RadioCondition& condition = link_.Condition();
  // A port that never opened reached no radio: its reason is all there is to say.
  if (!condition.portOpened) return "Nothing was sent to the radio.";
  const bool atStart = condition.mode == RadioCondition::Mode::Untouched ||
                       condition.mode == RadioCondition::Mode::ConsoleAt9600;
  // A radio that an earlier, stopped update left running its FLASH code at a raised rate answers
  // neither the console nor 9600 baud until it is powered again.
  if (atStart && !radioAnswered_)
    return "If an earlier update of this radio was stopped part way, it may still be running its FLASH code: "
           "switch the radio off and on, then update it again.";
  return DescribeRadio();
}

}  // namespace p25
