// Erasing, writing and signing each image of the family, the reboot and the wait for the radio's return.
#include <array>

#include "engine/EngineCatalogue.h"
#include "engine/UpdateEngine.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"

namespace p25 {

StepResult UpdateEngine::StepErase(const PathRow& row) {
  const SlotName slot = row.image->slot;
  LoadModule* const image = Image(slot);
  if (image == nullptr || !link_.EraseFlash(image->StartAddress(), static_cast<uint32_t>(ImageBytes(slot))))
    return StepResult::Failure(FailureDetail::LinkTextOnly());
  return StepResult::Success();
}

bool UpdateEngine::WriteImageBlocks(SlotName slot, std::string& readFailure) {
  std::array<uint8_t, kBlockCapacity> buffer{};
  bool ok = true;
  int64_t bytesThisTick = 0;
  LoadModule* const image = Image(slot);
  for (int blocksLeft = kBlocksPerTick; image != nullptr && blocksLeft > 0; --blocksLeft) {
    uint32_t address = 0;
    const int n = image->ReadBlock(buffer.data(), kBlockCapacity, address);
    if (n <= 0) break;
    bytesThisTick += n;
    for (int attempt = 0; attempt < kWriteTries; ++attempt) {
      ok = link_.WriteFlash(address, n, buffer.data());
      if (ok || link_.DeviceLost()) break;
    }
    if (!ok) break;
  }
  const int64_t remaining = ImageBytesRemaining(slot);
  if (ok && remaining > 0 && bytesThisTick <= 0) {
    readFailure = "Failed to read " + UpperName(slot) + " image";
    ok = false;
  }
  SetStepProgress(ImageBytes(slot), remaining);
  return ok;
}

StepResult UpdateEngine::StepWrite(const PathRow& row) {
  const FamilyImage& image = *row.image;
  std::string readFailure;
  if (!WriteImageBlocks(image.slot, readFailure))
    return StepResult::Failure(readFailure.empty() ? FailureDetail::LinkTextOnly() : FailureDetail(readFailure));
  if (ImageBytesRemaining(image.slot) > 0) return StepResult::Again();
  if (Signature(image.slot) != nullptr) return StepResult::Success();
  if (image.unsigned_ == UpdateState::Failed) return StepResult::Failure(FailureDetail::LinkTextOnly());
  return StepResult::To(image.unsigned_);
}

UpdateState UpdateEngine::AfterSign(const FamilyImage& image) const {
  int count = 0;
  const FamilyImage* const family = FamilyImages(family501, count);
  bool after = false;
  for (int i = 0; i < count; ++i) {
    if (after && Present(family[i].slot)) return family[i].erase;
    if (family[i].slot == image.slot) after = true;
  }
  return UpdateState::RebootRadio;
}

StepResult UpdateEngine::StepReboot(const PathRow&) {
  const bool rebooted = link_.Reboot();
  if (!host_.OpenPleaseWait()) return StepResult::Failure(FailureDetail("Failed to display wait warning"));
  if (!rebooted) return StepResult::Failure(FailureDetail::LinkTextOnly());
  link_.CloseComms();
  clock_.PauseMs(kRebootPauseMs);
  if (!link_.OpenComms(DeviceName(), kBaudRates[0])) return StepResult::Failure(FailureDetail("Failed to open port"));
  host_.StartTimer(kRebootWatchdogTimer, kRebootWatchdogPeriodMs);
  watchdogRunning_ = true;
  return StepResult::Success();
}

StepResult UpdateEngine::StepAwaitRestart(const PathRow&) {
  std::string esn;
  if (!link_.PollForOk() || !link_.ReadEsn(esn)) return StepResult::Again();
  radioEsn = esn;
  StopWatchdog();
  return StepResult::Success();
}

StepResult UpdateEngine::StepComplete(const PathRow&) {
  host_.ClosePleaseWait();
  link_.CloseComms();
  host_.SetControlText(kIdUpdateButton, "&OK");
  outcome_ = UpdateOutcome::Completed;
  observer_->UpdateCompleted(*this);
  return StepResult::Success();
}

}  // namespace p25
