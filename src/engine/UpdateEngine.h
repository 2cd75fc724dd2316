#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/ControlIds.h"
#include "engine/EngineObserver.h"
#include "engine/UpdateHost.h"
#include "engine/UpdatePath.h"
#include "engine/UpdateState.h"
#include "platform/PortTable.h"

namespace p25 {

class Clock;
class ImageCatalogue;
class LoadModule;
class ModuleSignature;
class RadioLink;
enum class SlotName;

inline constexpr uint32_t kBaudRates[] = {9600, 19200, 38400};
inline constexpr int kBaudRateCount = 3;
inline constexpr int kDefaultBaudIndex = 2;

enum class UpdateOutcome { NotStarted, Running, Completed, Failed, Cancelled };

// Overall and family progress of the update, from the images' own counters.
struct UpdateProgress {
  int32_t percent = 0;
  int64_t bytesRemaining = 0;
  int64_t familyBytesRemaining = 0;
  int64_t familyBytesDone = 0;
};

// The timer-driven state machine that updates one radio. One tick per UpdateTimer expiry; the window
// is reached only through UpdateHost.
class UpdateEngine {
public:
  static constexpr uint32_t kStateChangePauseMs = 3000;
  static constexpr int kBlockCapacity = 246;
  static constexpr int kBlocksPerTick = 10;
  static constexpr int kWriteTries = 3;
  static constexpr int kSignatureAttempts = 10;
  static constexpr int kSignatureLength = 20;
  static constexpr uint32_t kExecutePauseMs = 1000;
  static constexpr uint32_t kRebootPauseMs = 2000;

  UpdateEngine(RadioLink& link, ImageCatalogue& catalogue, UpdateHost& host, Clock& clock, PortTable ports);

  // The engine's part of the window's start-up: the default selections and the estimate's clock.
  void Initialise();
  void OnUpdateClicked();
  void OnTimer(int id);
  void StartUpdate();
  void StopUpdate();
  void Tick();
  void RefreshStatus();

  UpdateProgress ComputeProgress() const;
  // Writes the overall bar and the time and bytes texts for one tick.
  void UpdateEstimate(int64_t elapsedSeconds, const UpdateProgress& progress);

  WindowValues& Values() { return values_; }
  const WindowValues& Values() const { return values_; }
  const PortTable& Ports() const { return ports_; }
  // Who sees the update's course (the support log); null: nobody.
  void SetObserver(EngineObserver* observer) {
    observer_ = observer != nullptr ? observer : &EngineObserver::Nobody();
  }
  // Where the recovery files go; empty means the current directory.
  void SetRecoveryDirectory(const std::string& folder) { recoveryDirectory_ = folder; }
  std::string RecoveryPath() const;
  // The first complete record of this radio's recovery file, if it can be read.
  std::optional<int32_t> RecoveryRecord() const;
  // The state the update left the radio in and what to do next, in plain words.
  std::string DescribeRadio() const;
  // After a failed update: what the technician should do about it.
  std::string FailureAdvice() const;
  // The OS's code for this update's failed append to the recovery file; 0 when none failed.
  uint32_t RecoveryWriteError() const { return recoveryWriteError_; }

  UpdateState CurrentState() const { return currentState; }
  UpdateState PreviousState() const { return previousState; }
  int32_t RadioSerialNumber() const { return radioSerialNumber; }
  const std::string& RadioEsn() const { return radioEsn; }
  int32_t BootRetryCount() const { return bootRetryCount; }
  bool Family501() const { return family501; }
  UpdateOutcome Outcome() const { return outcome_; }
  // "503+" or "501" once this update has chosen the family; empty before.
  const char* FamilyText() const { return !familyChosen_ ? "" : family501 ? "501" : "503+"; }

  // The step running now: the state's own, or one it chained to within the same tick.
  UpdateState ActiveStep() const { return activeStep_; }
  // Asked once the radio's ESN is read: an empty answer lets the update go on, any other is the error
  // that stops it before the radio is changed (another update already has this radio).
  void SetEsnClaim(std::function<std::string(const std::string& esn)> claim) { esnClaim_ = std::move(claim); }
  // Told of every step as it begins, chained steps included.
  void SetStepListener(std::function<void(UpdateState step, bool chained)> listener) {
    stepListener_ = std::move(listener);
  }

private:
  friend struct EngineTestAccess;

  // Engine fields, named as the update's description names them.
  UpdateState currentState = UpdateState::Finished;
  UpdateState previousState = UpdateState::Finished;
  int32_t radioSerialNumber = 0;
  std::string radioEsn;
  int32_t serialPromptCount = 0;
  int32_t bootRetryCount = 0;
  bool flashSignatureEnabled = false;
  bool family501 = false;
  int64_t downloadStartClock = 0;
  UpdateOutcome outcome_ = UpdateOutcome::NotStarted;
  bool familyChosen_ = false;

  static const PathRow* PathRowOf(UpdateState state);

  void DispatchState();
  void ApplyEntryAction(const PathRow& row);
  UpdateState RunSteps(UpdateState state, bool entered);
  int64_t ClockMs() const;

  // The steps of the path; each returns its result and the detail that goes with it.
  StepResult StepStart(const PathRow& row);
  StepResult StepPrepareImages(const PathRow& row);
  StepResult StepIdentify(const PathRow& row);
  StepResult StepSaveRecovery(const PathRow& row);
  StepResult StepCheckSerial(const PathRow& row);
  StepResult StepBootMode(const PathRow& row);
  StepResult StepDownloadFlash(const PathRow& row);
  StepResult StepSign(const PathRow& row);
  StepResult StepExecuteFlash(const PathRow& row);
  StepResult StepSetBaudRate(const PathRow& row);
  StepResult StepCheckCompatibility(const PathRow& row);
  StepResult StepErase(const PathRow& row);
  StepResult StepWrite(const PathRow& row);
  StepResult StepReboot(const PathRow& row);
  StepResult StepAwaitRestart(const PathRow& row);
  StepResult StepRestoreSerial(const PathRow& row);
  StepResult StepComplete(const PathRow& row);
  StepResult StepFailed(const PathRow& row);
  StepResult StepFinished(const PathRow& row);

  bool WriteImageBlocks(SlotName slot, std::string& readFailure);
  bool SendImageSignature(SlotName slot);
  bool SameRadioCheck();
  std::optional<int32_t> NumberToRestore(bool& keepFile) const;
  void SetStepProgress(int64_t total, int64_t remaining);
  UpdateState AfterSign(const FamilyImage& image) const;

  // The catalogue as the engine sees it.
  LoadModule* Image(SlotName slot) const;
  ModuleSignature* Signature(SlotName slot) const;
  bool Present(SlotName slot) const { return Image(slot) != nullptr; }
  int64_t ImageBytes(SlotName slot) const;
  int64_t ImageBytesRemaining(SlotName slot) const;
  std::string UpperName(SlotName slot) const;

  std::string DeviceName() const;
  void Show(int id);
  void Hide(int id);
  void StopWatchdog();

  RadioLink& link_;
  ImageCatalogue& catalogue_;
  UpdateHost& host_;
  Clock& clock_;
  PortTable ports_;
  WindowValues values_;
  EngineObserver* observer_ = &EngineObserver::Nobody();
  std::string recoveryDirectory_;
  bool watchdogRunning_ = false;
  UpdateState activeStep_ = UpdateState::Finished;
  std::function<void(UpdateState, bool)> stepListener_;
  std::function<std::string(const std::string&)> esnClaim_;
  // What this radio reported at this update's start, the only number other than the recovery file's
  // first record that may be written back into it.
  int32_t serialAtStart_ = 0;
  bool radioAnswered_ = false;  // the radio answered a request at the start of this update
  std::string esnAtStart_;
  uint32_t recoveryWriteError_ = 0;  // the OS's code when this update could not append its record
};

}  // namespace p25
