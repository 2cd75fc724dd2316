// Erasing, writing and signing each image, the reboot and the wait for the radio's return.
#include <array>

#include "engine/EngineCatalogue.h"
#include "engine/UpdateEngine.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"

namespace p25 {

UpdateState UpdateEngine::OnErase(SlotName slot, UpdateState next) {
  LoadModule* const image = Image(slot);
  if (image == nullptr) return UpdateState::Failed;
  const bool ok = link_.EraseFlash(image->StartAddress(),
                                   static_cast<uint32_t>(ImageBytes(slot)));
  return ok ? next : UpdateState::Failed;
}

bool UpdateEngine::WriteImageBlocks(SlotName slot) {
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
      if (ok) break;
    }
    if (!ok) break;
  }
  const int64_t total = ImageBytes(slot);
  const int64_t remaining = ImageBytesRemaining(slot);
  if (ok && remaining > 0 && bytesThisTick <= 0) {
    values_.ErrorDetail = "Failed to read " + UpperName(slot) + " image";
    ok = false;
  }
  SetStepProgress(total, remaining);
  return ok;
}

UpdateState UpdateEngine::OnWrite(SlotName slot, UpdateState self, UpdateState sign,
                                  UpdateState doneWithoutSignature) {
  if (!WriteImageBlocks(slot)) return UpdateState::Failed;
  if (ImageBytesRemaining(slot) > 0) return self;
  return Signature(slot) != nullptr ? sign : doneWithoutSignature;
}

UpdateState UpdateEngine::AfterSign(SlotName slot) {
  switch (slot) {
    case SlotName::ControlA:
      if (Present(SlotName::ControlB)) return UpdateState::EraseControlB;
      [[fallthrough]];
    case SlotName::ControlB:
      return Present(SlotName::Dsp) ? UpdateState::EraseDsp : UpdateState::RebootRadio;
    case SlotName::Control:
      return Present(SlotName::Dsp501) ? UpdateState::EraseDsp501 : UpdateState::RebootRadio;
    default: return UpdateState::RebootRadio;
  }
}

UpdateState UpdateEngine::OnRebootRadio() {
  bool ok = link_.Reboot();
  if (!host_.OpenPleaseWait()) {
    values_.ErrorDetail = "Failed to display wait warning";
    ok = false;
  }
  if (ok) {
    link_.CloseComms();
    clock_.PauseMs(kRebootPauseMs);
    ok = link_.OpenComms(DeviceName(), kBaudRates[0]);
    if (ok) {
      host_.StartTimer(kRebootWatchdogTimer, kRebootWatchdogPeriodMs);
      watchdogRunning_ = true;
    } else {
      values_.ErrorDetail = "Failed to open port";
    }
  }
  return ok ? UpdateState::AwaitRestart : UpdateState::Failed;
}

UpdateState UpdateEngine::OnAwaitRestart() {
  std::string esn;
  if (link_.PollForOk() && link_.ReadEsn(esn)) {
    radioEsn = esn;
    StopWatchdog();
    return OnRestoreSerial();
  }
  return UpdateState::AwaitRestart;
}

UpdateState UpdateEngine::OnComplete() {
  host_.ClosePleaseWait();
  link_.CloseComms();
  host_.SetControlText(kIdUpdateButton, "&OK");
  return UpdateState::Finished;
}

}  // namespace p25
