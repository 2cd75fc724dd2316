#pragma once
#include "engine/UpdateState.h"

namespace p25 {

class LinkStatus;
class UpdateEngine;

// What was done to the radio's recovery file.
enum class RecoveryAction {
  Appended,           // the serial number's record was appended
  Restored,           // the number to keep was written back into the radio
  Kept,               // the file stays: it may hold the only good copy
  Removed,            // the radio holds its number again
  RemovedOtherRadio,  // a different radio answered: the file was not this radio's
};

// Sees the engine's course, for the support log: each state entered, each recovery-file action and
// how the update ended. Every call comes from the engine's thread and must only take note; the
// engine passes itself so the observer can read what it needs.
class EngineObserver {
public:
  virtual ~EngineObserver() = default;
  // A state entered; chained: a step run in the same tick as the one before it, with no pause.
  virtual void StateEntered(const UpdateEngine& /*engine*/, UpdateState /*state*/, bool /*chained*/) {}
  // The path is the engine's RecoveryPath(); ok tells whether the action succeeded.
  virtual void RecoveryFileAction(const UpdateEngine& /*engine*/, RecoveryAction /*action*/, bool /*ok*/) {}
  // The error line is set; the link still holds the error that ended the update.
  virtual void UpdateFailed(const UpdateEngine& /*engine*/, const LinkStatus& /*link*/) {}
  virtual void UpdateCompleted(const UpdateEngine& /*engine*/) {}
  // Stopped by the user (Cancel, Ctrl-C) before it ended.
  virtual void UpdateStopped(const UpdateEngine& /*engine*/) {}

  // An observer that ignores everything, so the engine never checks for null.
  static EngineObserver& Nobody() {
    static EngineObserver nobody;
    return nobody;
  }
};

}  // namespace p25
