// Boot mode, the FLASH code, the rate raise and the choice of image family.
#include <array>

#include "engine/UpdateEngine.h"
#include "engine/EngineCatalogue.h"
#include "engine/VersionAreaView.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"

namespace p25 {

UpdateState UpdateEngine::OnBootMode() {
  values_.ErrorDetail = "Radio Serial Number Mismatch Error";
  bool ok = true;
  if (radioSerialNumber != 0) ok = SameRadioCheck();
  if (ok) {
    values_.ErrorDetail = "Radio not responding";
    link_.EnterBootMode();
    ok = link_.EnterBootMode();
  }
  // Sent in every case: the radio says by its answer whether it wants the FLASH code signed.
  flashSignatureEnabled = link_.ConfirmedReboot();
  if (!ok) return UpdateState::Failed;
  // A retry after a failed rate raise comes back here: the FLASH code must go out whole again, not
  // from where the last download ended (which would send nothing and start stale code).
  if (LoadModule* flash = Image(SlotName::Flash); flash != nullptr && !flash->Rewind()) {
    values_.ErrorDetail = "Failed to reset FLASH file resource";
    return UpdateState::Failed;
  }
  return UpdateState::DownloadFlash;
}

UpdateState UpdateEngine::OnDownloadFlash() {
  std::array<uint8_t, kBlockCapacity> buffer{};
  bool ok = true;
  int64_t bytesThisTick = 0;
  LoadModule* const image = Image(SlotName::Flash);
  for (int blocksLeft = kBlocksPerTick; image != nullptr && blocksLeft > 0; --blocksLeft) {
    uint32_t address = 0;
    const int n = image->ReadBlock(buffer.data(), kBlockCapacity, address);
    if (n <= 0) break;
    bytesThisTick += n;
    ok = link_.DownloadBootCode(address, n, buffer.data());
    if (!ok) break;
  }
  const int64_t total = ImageBytes(SlotName::Flash);
  const int64_t remaining = ImageBytesRemaining(SlotName::Flash);
  if (ok && remaining > 0 && bytesThisTick <= 0) {
    values_.ErrorDetail = "Failed to read FLASH image";
    ok = false;
  }
  SetStepProgress(total, remaining);
  if (!ok) return UpdateState::Failed;
  if (remaining > 0) return UpdateState::DownloadFlash;
  return flashSignatureEnabled ? UpdateState::SignFlash : UpdateState::ExecuteFlash;
}

bool UpdateEngine::SendImageSignature(SlotName slot) {
  bool result = true;
  for (int attempt = 0; attempt < kSignatureAttempts; ++attempt) {
    ModuleSignature* const signature = Signature(slot);
    if (signature == nullptr) break;
    std::array<uint8_t, kSignatureLength> bytes{};
    signature->Rewind();
    signature->ReadBytes(bytes.data(), kSignatureLength);
    result = link_.SendSignature(kSignatureLength, bytes.data());
    if (result) break;
  }
  return result;
}

UpdateState UpdateEngine::OnSign(SlotName slot, const char* failureText, UpdateState next) {
  if (SendImageSignature(slot)) return next;
  values_.ErrorDetail = failureText;
  return UpdateState::Failed;
}

UpdateState UpdateEngine::OnExecuteFlash() {
  if (bootRetryCount >= 3) return UpdateState::Failed;
  LoadModule* const flash = Image(SlotName::Flash);
  const bool ok = link_.ExecuteBootCode(flash != nullptr ? flash->StartAddress() : 0);
  clock_.PauseMs(kExecutePauseMs);
  return ok ? UpdateState::SetBaudRate : UpdateState::Failed;
}

UpdateState UpdateEngine::OnSetBaudRate() {
  int& index = values_.selectedBaudIndex;
  bool accepted = false;
  for (; index >= 0; --index) {
    if (index < kBaudRateCount && link_.ChangeBaudRate(kBaudRates[index])) {
      accepted = true;
      break;
    }
  }
  if (index < 0) index = 0;
  if (accepted) {
    link_.CloseComms();
    if (link_.OpenComms(DeviceName(), kBaudRates[index]))
      return UpdateState::CheckCompatibility;
  }
  link_.EnterBootMode();
  ++bootRetryCount;
  return UpdateState::Identify;
}

UpdateState UpdateEngine::OnCheckCompatibility() {
  uint32_t features = 0;
  if (!link_.ReadHwFeatures(features)) return UpdateState::ExecuteFlash;
  const FamilySelection choice = catalogue_.SelectImageFamily(features);
  if (!choice.first) {
    values_.ErrorDetail = "No valid load modules exist for this radio";
    link_.Reboot();
    return UpdateState::Failed;
  }
  // The other family's lines give way once there is an image to install.
  ShowVersionArea(host_, DescribeVersionArea(catalogue_, choice.family));
  family501 = choice.family == ImageFamily::Family501;
  switch (*choice.first) {
    case SlotName::ControlA: return UpdateState::EraseControlA;
    case SlotName::ControlB: return UpdateState::EraseControlB;
    case SlotName::Dsp: return UpdateState::EraseDsp;
    case SlotName::Control: return UpdateState::EraseControl;
    default: return UpdateState::EraseDsp501;
  }
}

}  // namespace p25
