#include "engine/UpdateEngine.h"

#include <cstdio>

#include "engine/EngineCatalogue.h"
#include "engine/VersionAreaView.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "session/RadioLink.h"

namespace p25 {

UpdateEngine::UpdateEngine(RadioLink& link, ImageCatalogue& catalogue, UpdateHost& host, Clock& clock,
                           PortTable ports)
    : link_(link), catalogue_(catalogue), host_(host), clock_(clock), ports_(std::move(ports)) {}

void UpdateEngine::Initialise() {
  values_.selectedPortIndex = 0;
  values_.selectedBaudIndex = kDefaultBaudIndex;
  values_.updateRunning = false;
  downloadStartClock = ClockMs();
}

int64_t UpdateEngine::ClockMs() const { return static_cast<int64_t>(clock_.ElapsedMs()); }

void UpdateEngine::Show(int id) { host_.ShowControl(id, true); }
void UpdateEngine::Hide(int id) { host_.ShowControl(id, false); }

void UpdateEngine::OnUpdateClicked() {
  host_.ExchangeData(ExchangeDirection::FromControls, values_);
  if (values_.updateRunning) {
    StopUpdate();
    host_.SetControlText(kIdUpdateButton, "&Update");
    values_.updateRunning = false;
    host_.EnableControl(kIdPortList, true);
    host_.EnableControl(kIdBaudList, true);
    ShowVersionArea(host_, DescribeVersionArea(catalogue_));
  } else {
    serialPromptCount = 0;
    radioSerialNumber = 0;
    radioEsn.clear();
    serialAtStart_ = 0;
    esnAtStart_.clear();
    recoveryWriteError_ = 0;
    radioAnswered_ = false;
    familyChosen_ = false;
    link_.ResetCondition();
    // A retry count left by an earlier update must not fail this one before it starts.
    bootRetryCount = 0;
    StartUpdate();
    host_.SetControlText(kIdUpdateButton, "&Cancel");
    values_.updateRunning = true;
    host_.EnableControl(kIdPortList, false);
    host_.EnableControl(kIdBaudList, false);
  }
  host_.ExchangeData(ExchangeDirection::ToControls, values_);
}

void UpdateEngine::StartUpdate() {
  outcome_ = UpdateOutcome::Running;
  previousState = UpdateState::Finished;
  currentState = UpdateState::Start;
  values_.ActivityText.clear();
  values_.ErrorText.clear();
  values_.ErrorDetail.clear();
  values_.TimeRemainingText.clear();
  host_.StartTimer(kUpdateTimer, kUpdateTimerPeriodMs);
  host_.SetProgress(kIdOverallProgress, 0);
  host_.SetProgress(kIdStepProgress, 0);
  Hide(kIdPicture);
  RefreshStatus();
}

void UpdateEngine::StopUpdate() {
  observer_->UpdateStopped(*this);
  if (outcome_ == UpdateOutcome::Running) outcome_ = UpdateOutcome::Cancelled;
  host_.StopTimer(kUpdateTimer);
  // A stopped update leaves no reboot wait, wait window or open port behind.
  StopWatchdog();
  if (host_.IsPleaseWaitOpen()) host_.ClosePleaseWait();
  if (link_.IsOpen()) link_.CloseComms();
  values_.ActivityText.clear();
  values_.ErrorText.clear();
  values_.ErrorDetail.clear();
  for (int id : {kIdOverallProgress, kIdStepProgress, kIdTimeCaption, kIdTimeValue, kIdBytesCaption, kIdBytesValue})
    Hide(id);
  Show(kIdPicture);
  RefreshStatus();
}

void UpdateEngine::StopWatchdog() {
  if (!watchdogRunning_) return;
  host_.StopTimer(kRebootWatchdogTimer);
  watchdogRunning_ = false;
}

void UpdateEngine::OnTimer(int id) {
  if (id == kUpdateTimer) {
    Tick();
  } else if (id == kRebootWatchdogTimer) {
    StopWatchdog();
    // Only the reboot wait of a running update may be ended by its watchdog.
    if (currentState == UpdateState::AwaitRestart) {
      values_.ErrorDetail = "Radio Failed to Reboot. Update may have to be restarted";
      currentState = UpdateState::Failed;
    }
  }
}

void UpdateEngine::Tick() {
  DispatchState();
  const int64_t elapsedSeconds = (ClockMs() - downloadStartClock) / 1000;
  const UpdateProgress progress = ComputeProgress();
  UpdateEstimate(elapsedSeconds, progress);
  RefreshStatus();
}

void UpdateEngine::RefreshStatus() {
  host_.ShowControl(kIdActivityLine, !values_.ActivityText.empty());
  if (!values_.ErrorText.empty()) {
    Show(kIdErrorLine);
    Hide(kIdStepProgress);
    Hide(kIdTimeCaption);
    Hide(kIdTimeValue);
  } else {
    Hide(kIdErrorLine);
  }
  host_.ExchangeData(ExchangeDirection::ToControls, values_);
}

void UpdateEngine::DispatchState() {
  const bool entered = currentState != previousState;
  if (entered) {
    if (currentState != UpdateState::Failed) {
      link_.SetActivity("");
      values_.ErrorDetail.clear();
    }
    host_.SetProgress(kIdStepProgress, 0);
    if (!IsUpdateState(currentState)) {
      values_.ErrorDetail = "Invalid next state detected";
      currentState = UpdateState::Failed;
    }
    observer_->StateEntered(*this, currentState, false);
    ApplyEntryAction(*PathRowOf(currentState));
    RefreshStatus();
    // The pause gives the radio time between steps; a radio whose line is gone needs none, and the
    // technician learns of the pulled cable at once.
    if ((currentState != UpdateState::Failed || !link_.DeviceLost()) && !clock_.PauseMs(kStateChangePauseMs)) {
      // Stopped during the pause: the state is entered, but its step is not begun.
      previousState = currentState;
      activeStep_ = currentState;
      return;
    }
  }
  previousState = currentState;
  currentState = RunSteps(currentState, entered);
  // Nothing can answer on a lost device: no step may go on waiting or retrying on it.
  if (link_.DeviceLost() && currentState != UpdateState::Failed && currentState != UpdateState::Finished)
    currentState = UpdateState::Failed;
}

void UpdateEngine::ApplyEntryAction(const PathRow& row) {
  if (row.activity != nullptr) values_.ActivityText = row.activity;
  if (row.controls & kShowProgress)
    for (int id : {kIdOverallProgress, kIdStepProgress, kIdBytesCaption, kIdBytesValue}) Show(id);
  if (row.controls & kShowTime) {
    Show(kIdTimeCaption);
    Show(kIdTimeValue);
  }
  if (row.controls & kHideStepBar) Hide(kIdStepProgress);
  // The timed download starts with the write of the family's last CONTROL image present, or its DSP
  // image when it has no CONTROL image.
  if (row.image != nullptr && row.state == row.image->write) {
    bool timed = true;
    for (int i = 0; i < row.image->timedUnlessCount; ++i)
      if (Present(row.image->timedUnless[i])) timed = false;
    if (timed) downloadStartClock = ClockMs();
  }
}

UpdateState UpdateEngine::RunSteps(UpdateState state, bool entered) {
  for (bool chained = false;; chained = true) {
    const PathRow* row = PathRowOf(state);
    if (row == nullptr) {
      values_.ErrorDetail = "Invalid state detected";
      return UpdateState::Failed;
    }
    activeStep_ = state;
    if ((entered || chained) && stepListener_) stepListener_(state, chained);
    if (chained) observer_->StateEntered(*this, state, true);
    const StepResult result = (this->*row->step)(*row);
    if (result.way() == StepResult::Way::Failure || !result.detail().empty()) values_.ErrorDetail = result.detail();
    switch (result.way()) {
      case StepResult::Way::Again: return state;
      case StepResult::Way::To: return result.next();
      case StepResult::Way::Failure: return row->failure;
      case StepResult::Way::Success:
        if (!row->chained) return row->success;
        state = row->success;
        break;
    }
  }
}

StepResult UpdateEngine::StepStart(const PathRow&) { return StepResult::Success(); }

StepResult UpdateEngine::StepFailed(const PathRow&) {
  const std::string& linkError = link_.LastError();
  values_.ErrorText = "Error: " + values_.ErrorDetail;
  if (!values_.ErrorDetail.empty() && !linkError.empty()) values_.ErrorText += "; ";
  values_.ErrorText += linkError;
  uint32_t systemCode = 0;
  link_.LastError(nullptr, &systemCode);
  // A lost device is the one failure the technician must act on at the radio: say why in the line.
  if (link_.DeviceLost() && systemCode != 0) values_.ErrorText += " (" + SystemErrorText(systemCode) + ")";
  outcome_ = UpdateOutcome::Failed;
  observer_->UpdateFailed(*this, link_.Status());
  host_.Beep();
  RefreshStatus();
  if (host_.IsPleaseWaitOpen()) host_.ClosePleaseWait();
  StopWatchdog();
  link_.CloseComms();
  return StepResult::Success();
}

UpdateProgress UpdateEngine::ComputeProgress() const {
  UpdateProgress progress;
  int64_t familyTotal = 0;
  auto add = [&](SlotName slot) {
    familyTotal += ImageBytes(slot);
    progress.familyBytesRemaining += ImageBytesRemaining(slot);
  };
  if (family501) {
    add(SlotName::Control);
    add(SlotName::Dsp501);
  } else {
    add(SlotName::ControlA);
    add(SlotName::ControlB);
    add(SlotName::Dsp);
  }
  progress.familyBytesDone = familyTotal - progress.familyBytesRemaining;
  const int64_t grandTotal = familyTotal + ImageBytes(SlotName::Flash);
  progress.bytesRemaining = progress.familyBytesRemaining + ImageBytesRemaining(SlotName::Flash);
  progress.percent =
      grandTotal > 0 ? static_cast<int32_t>((grandTotal - progress.bytesRemaining) * 100 / grandTotal) : 0;
  return progress;
}

void UpdateEngine::UpdateEstimate(int64_t elapsedSeconds, const UpdateProgress& progress) {
  host_.SetProgress(kIdOverallProgress, progress.percent);
  if (progress.familyBytesDone > 5000 && elapsedSeconds > 0) {
    // 64-bit: long updates on slow lines overflow 32 bits here.
    const int64_t remaining = elapsedSeconds * progress.familyBytesRemaining / progress.familyBytesDone;
    const long minutes = static_cast<long>(remaining / 60);
    const long seconds = static_cast<long>(remaining % 60);
    char text[64];
    std::snprintf(text, sizeof text, "%ld %s  %ld %s", minutes, minutes > 1 ? "mins" : "min", seconds,
                  seconds > 1 ? "secs" : "sec");
    values_.TimeRemainingText = text;
  } else {
    values_.TimeRemainingText.clear();
  }
  values_.BytesRemainingText = std::to_string(progress.bytesRemaining);
}

void UpdateEngine::SetStepProgress(int64_t total, int64_t remaining) {
  host_.SetProgress(kIdStepProgress, total > 0 ? static_cast<int>((total - remaining) * 100 / total) : 0);
}

StepResult UpdateEngine::StepFinished(const PathRow&) {
  ShowVersionArea(host_, DescribeVersionArea(catalogue_));
  return StepResult::Success();
}

const char* UpdateStateName(UpdateState state) {
  static const char* const kNames[] = {
      "Start",         "PrepareImages", "Identify",     "SaveRecovery",  "CheckSerial",   "BootMode",
      "DownloadFlash", "SignFlash",     "ExecuteFlash", "SetBaudRate",   "CheckCompatibility",
      "EraseControlA", "EraseControlB", "EraseControl", "WriteControlA", "SignControlA",  "WriteControlB",
      "SignControlB",  "WriteControl",  "SignControl",  "EraseDsp",      "EraseDsp501",   "WriteDsp",
      "SignDsp",       "WriteDsp501",   "SignDsp501",   "RebootRadio",   "AwaitRestart",  "RestoreSerial",
      "Complete",      "Failed",        "Finished"};
  return IsUpdateState(state) ? kNames[static_cast<int>(state) - kFirstUpdateState] : "Invalid";
}

}  // namespace p25
