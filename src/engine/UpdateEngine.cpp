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
    radioAnswered_ = false;
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
  if (currentState != previousState) {
    if (currentState != UpdateState::Failed) {
      link_.SetActivity("");
      values_.ErrorDetail.clear();
    }
    host_.SetProgress(kIdStepProgress, 0);
    if (!IsUpdateState(currentState)) {
      values_.ErrorDetail = "Invalid next state detected";
      currentState = UpdateState::Failed;
    }
    ApplyEntryAction(currentState);
    RefreshStatus();
    // The pause gives the radio time between steps; a radio whose line is gone needs none, and the
    // technician learns of the pulled cable at once.
    if ((currentState != UpdateState::Failed || !link_.DeviceLost()) && !clock_.PauseMs(kStateChangePauseMs)) {
      // Stopped during the pause: the state is entered, but its step is not begun.
      previousState = currentState;
      return;
    }
  }
  previousState = currentState;
  currentState = RunHandler(currentState);
  // Nothing can answer on a lost device: no step may go on waiting or retrying on it.
  if (link_.DeviceLost() && currentState != UpdateState::Failed && currentState != UpdateState::Finished)
    currentState = UpdateState::Failed;
}

void UpdateEngine::ApplyEntryAction(UpdateState state) {
  switch (state) {
    case UpdateState::Start: values_.ActivityText = " "; break;
    case UpdateState::PrepareImages:
    case UpdateState::Identify:
    case UpdateState::SaveRecovery:
    case UpdateState::CheckSerial: values_.ActivityText = "Initializing transfer"; break;
    case UpdateState::BootMode:
      values_.ActivityText = "Instructing radio to enter FLASH mode";
      for (int id : {kIdOverallProgress, kIdStepProgress, kIdBytesCaption, kIdBytesValue}) Show(id);
      break;
    case UpdateState::DownloadFlash: values_.ActivityText = "Downloading FLASH code to radio"; break;
    case UpdateState::ExecuteFlash: values_.ActivityText = "Instructing radio to execute FLASH code"; break;
    case UpdateState::SetBaudRate:
      values_.ActivityText = "Sending baud rate to radio";
      Show(kIdTimeCaption);
      Show(kIdTimeValue);
      break;
    case UpdateState::CheckCompatibility: values_.ActivityText = "Checking target for compatibility"; break;
    case UpdateState::EraseControlA:
    case UpdateState::EraseControlB:
    case UpdateState::EraseControl: values_.ActivityText = "Erasing CONTROL code in radio"; break;
    case UpdateState::WriteControlA:
      values_.ActivityText = "Downloading CONTROL code block 1 to radio";
      if (!Present(SlotName::ControlB)) downloadStartClock = ClockMs();
      break;
    case UpdateState::WriteControlB:
      values_.ActivityText = "Downloading CONTROL code block 2 to radio";
      downloadStartClock = ClockMs();
      break;
    case UpdateState::WriteControl:
      values_.ActivityText = "Downloading CONTROL code to radio";
      downloadStartClock = ClockMs();
      break;
    case UpdateState::EraseDsp:
    case UpdateState::EraseDsp501: values_.ActivityText = "Erasing DSP code in radio"; break;
    case UpdateState::WriteDsp:
      values_.ActivityText = "Downloading DSP code to radio";
      if (!Present(SlotName::ControlA) && !Present(SlotName::ControlB)) downloadStartClock = ClockMs();
      break;
    case UpdateState::WriteDsp501:
      values_.ActivityText = "Downloading DSP code to radio";
      if (!Present(SlotName::Control)) downloadStartClock = ClockMs();
      break;
    case UpdateState::RebootRadio: values_.ActivityText = "Instructing radio to reboot"; break;
    case UpdateState::AwaitRestart:
      values_.ActivityText = "Completing Update";
      Hide(kIdStepProgress);
      break;
    default: break;
  }
}

UpdateState UpdateEngine::RunHandler(UpdateState state) {
  switch (state) {
    case UpdateState::Start: return UpdateState::PrepareImages;
    case UpdateState::PrepareImages: return OnPrepareImages();
    case UpdateState::Identify: return OnIdentify();
    case UpdateState::SaveRecovery: return OnSaveRecovery();
    case UpdateState::CheckSerial: return OnCheckSerial();
    case UpdateState::BootMode: return OnBootMode();
    case UpdateState::DownloadFlash: return OnDownloadFlash();
    case UpdateState::SignFlash:
      return OnSign(SlotName::Flash, "Flash Image Authentication Failure", UpdateState::ExecuteFlash);
    case UpdateState::ExecuteFlash: return OnExecuteFlash();
    case UpdateState::SetBaudRate: return OnSetBaudRate();
    case UpdateState::CheckCompatibility: return OnCheckCompatibility();
    case UpdateState::EraseControlA: return OnErase(SlotName::ControlA, UpdateState::WriteControlA);
    case UpdateState::EraseControlB: return OnErase(SlotName::ControlB, UpdateState::WriteControlB);
    case UpdateState::EraseControl: return OnErase(SlotName::Control, UpdateState::WriteControl);
    case UpdateState::WriteControlA:
      return OnWrite(SlotName::ControlA, state, UpdateState::SignControlA, UpdateState::RebootRadio);
    case UpdateState::SignControlA:
      return OnSign(SlotName::ControlA, "CONTROL Block 1 Image Authentication Failure", AfterSign(SlotName::ControlA));
    case UpdateState::WriteControlB:
      return OnWrite(SlotName::ControlB, state, UpdateState::SignControlB, UpdateState::RebootRadio);
    case UpdateState::SignControlB:
      return OnSign(SlotName::ControlB, "CONTROL Block 2 Image Authentication Failure", AfterSign(SlotName::ControlB));
    case UpdateState::WriteControl:
      return OnWrite(SlotName::Control, state, UpdateState::SignControl, UpdateState::Failed);
    case UpdateState::SignControl:
      return OnSign(SlotName::Control, "CONTROL Image Authentication Failure", AfterSign(SlotName::Control));
    case UpdateState::EraseDsp: return OnErase(SlotName::Dsp, UpdateState::WriteDsp);
    case UpdateState::EraseDsp501: return OnErase(SlotName::Dsp501, UpdateState::WriteDsp501);
    case UpdateState::WriteDsp: return OnWrite(SlotName::Dsp, state, UpdateState::SignDsp, UpdateState::Failed);
    case UpdateState::SignDsp:
      return OnSign(SlotName::Dsp, "DSP Image Authentication Failure", UpdateState::RebootRadio);
    case UpdateState::WriteDsp501:
      return OnWrite(SlotName::Dsp501, state, UpdateState::SignDsp501, UpdateState::Failed);
    case UpdateState::SignDsp501:
      return OnSign(SlotName::Dsp501, "DSP Image Authentication Failure", UpdateState::RebootRadio);
    case UpdateState::RebootRadio: return OnRebootRadio();
    case UpdateState::AwaitRestart: return OnAwaitRestart();
    case UpdateState::RestoreSerial: return OnRestoreSerial();
    case UpdateState::Complete: return OnComplete();
    case UpdateState::Failed: return OnFailed();
    case UpdateState::Finished: return OnFinished();
  }
  values_.ErrorDetail = "Invalid state detected";
  return UpdateState::Failed;
}

UpdateState UpdateEngine::OnFailed() {
  const std::string& linkError = link_.LastError();
  values_.ErrorText = "Error: " + values_.ErrorDetail;
  if (!values_.ErrorDetail.empty() && !linkError.empty()) values_.ErrorText += "; ";
  values_.ErrorText += linkError;
  uint32_t systemCode = 0;
  link_.LastError(nullptr, &systemCode);
  // A lost device is the one failure the technician must act on at the radio: say why in the line.
  if (link_.DeviceLost() && systemCode != 0) values_.ErrorText += " (" + SystemErrorText(systemCode) + ")";
  host_.Beep();
  RefreshStatus();
  if (host_.IsPleaseWaitOpen()) host_.ClosePleaseWait();
  StopWatchdog();
  link_.CloseComms();
  return UpdateState::Finished;
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

UpdateState UpdateEngine::OnFinished() {
  ShowVersionArea(host_, DescribeVersionArea(catalogue_));
  return UpdateState::Finished;
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
