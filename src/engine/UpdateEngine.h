#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "engine/ControlIds.h"
#include "engine/UpdateHost.h"
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
  // Where the recovery files go; empty means the current directory.
  void SetRecoveryDirectory(const std::string& folder) { recoveryDirectory_ = folder; }
  std::string RecoveryPath() const;
  // The first complete record of this radio's recovery file, if it can be read.
  std::optional<int32_t> RecoveryRecord() const;
  // The state the update left the radio in and what to do next, in plain words.
  std::string DescribeRadio() const;
  // After a failed update: what the technician should do about it.
  std::string FailureAdvice() const;

  // Engine fields, open for the front ends' readouts and for tests.
  UpdateState currentState = UpdateState::Finished;
  UpdateState previousState = UpdateState::Finished;
  int32_t radioSerialNumber = 0;
  std::string radioEsn;
  int32_t serialPromptCount = 0;
  int32_t bootRetryCount = 0;
  bool flashSignatureEnabled = false;
  bool family501 = false;
  int64_t downloadStartClock = 0;

private:
  void DispatchState();
  void ApplyEntryAction(UpdateState state);
  UpdateState RunHandler(UpdateState state);
  int64_t ClockMs() const;

  // State handlers.
  UpdateState OnPrepareImages();
  UpdateState OnIdentify();
  UpdateState OnSaveRecovery();
  UpdateState OnCheckSerial();
  UpdateState OnBootMode();
  UpdateState OnDownloadFlash();
  UpdateState OnSign(SlotName slot, const char* failureText, UpdateState next);
  UpdateState OnExecuteFlash();
  UpdateState OnSetBaudRate();
  UpdateState OnCheckCompatibility();
  UpdateState OnErase(SlotName slot, UpdateState next);
  UpdateState OnWrite(SlotName slot, UpdateState self, UpdateState sign, UpdateState doneWithoutSignature);
  UpdateState OnRebootRadio();
  UpdateState OnAwaitRestart();
  UpdateState OnRestoreSerial();
  UpdateState OnComplete();
  UpdateState OnFailed();
  UpdateState OnFinished();

  bool WriteImageBlocks(SlotName slot);
  bool SendImageSignature(SlotName slot);
  bool SameRadioCheck();
  std::optional<int32_t> NumberToRestore(bool& keepFile) const;
  void SetStepProgress(int64_t total, int64_t remaining);
  UpdateState AfterSign(SlotName slot);

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
  std::string recoveryDirectory_;
  bool watchdogRunning_ = false;
  // What this radio reported at this update's start, the only number other than the recovery file's
  // first record that may be written back into it.
  int32_t serialAtStart_ = 0;
  bool radioAnswered_ = false;  // the radio answered a request at the start of this update
  std::string esnAtStart_;
};

}  // namespace p25
