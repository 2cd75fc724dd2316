// Boot mode, the FLASH code, the rate raise and the choice of image family.
#include <array>

#include "engine/EngineCatalogue.h"
#include "engine/UpdateEngine.h"
#include "engine/VersionAreaView.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"

namespace p25 {

StepResult UpdateEngine::StepBootMode(const PathRow&) {
  const bool sameRadio = radioSerialNumber == 0 || SameRadioCheck();
  bool inBootMode = false;
  if (sameRadio) {
    link_.EnterBootMode();
    inBootMode = link_.EnterBootMode();
  }
  // Sent in every case: the radio says by its answer whether it wants the FLASH code signed.
  flashSignatureEnabled = link_.ConfirmedReboot();
  if (!sameRadio) return StepResult::Failure(FailureDetail("Radio Serial Number Mismatch Error"));
  if (!inBootMode) return StepResult::Failure(FailureDetail("Radio not responding"));
  // A retry after a failed rate raise comes back here: the FLASH code must go out whole again, not
  // from where the last download ended (which would send nothing and start stale code).
  if (LoadModule* flash = Image(SlotName::Flash); flash != nullptr && !flash->Rewind())
    return StepResult::Failure(FailureDetail("Failed to reset FLASH file resource"));
  return StepResult::Success();
}

StepResult UpdateEngine::StepDownloadFlash(const PathRow&) {
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
  const int64_t remaining = ImageBytesRemaining(SlotName::Flash);
  SetStepProgress(ImageBytes(SlotName::Flash), remaining);
  if (!ok) return StepResult::Failure(FailureDetail::LinkTextOnly());
  if (remaining > 0 && bytesThisTick <= 0) return StepResult::Failure(FailureDetail("Failed to read FLASH image"));
  if (remaining > 0) return StepResult::Again();
  return flashSignatureEnabled ? StepResult::To(UpdateState::SignFlash) : StepResult::Success();
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
    if (result || link_.DeviceLost()) break;
  }
  return result;
}

StepResult UpdateEngine::StepSign(const PathRow& row) {
  const SlotName slot = row.image != nullptr ? row.image->slot : SlotName::Flash;
  if (!SendImageSignature(slot)) return StepResult::Failure(FailureDetail(row.failureText));
  return row.image != nullptr ? StepResult::To(AfterSign(*row.image)) : StepResult::Success();
}

StepResult UpdateEngine::StepExecuteFlash(const PathRow&) {
  if (bootRetryCount >= 3) return StepResult::Failure(FailureDetail::LinkTextOnly());
  LoadModule* const flash = Image(SlotName::Flash);
  const bool ok = link_.ExecuteBootCode(flash != nullptr ? flash->StartAddress() : 0);
  clock_.PauseMs(kExecutePauseMs);
  return ok ? StepResult::Success() : StepResult::Failure(FailureDetail::LinkTextOnly());
}

StepResult UpdateEngine::StepSetBaudRate(const PathRow&) {
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
    if (link_.OpenComms(DeviceName(), kBaudRates[index])) return StepResult::Success();
  }
  // Back to the boot loader; the path identifies the radio again from there.
  link_.EnterBootMode();
  ++bootRetryCount;
  return StepResult::Failure(FailureDetail::LinkTextOnly());
}

StepResult UpdateEngine::StepCheckCompatibility(const PathRow&) {
  uint32_t features = 0;
  if (!link_.ReadHwFeatures(features)) return StepResult::To(UpdateState::ExecuteFlash);
  const FamilySelection choice = catalogue_.SelectImageFamily(features);
  if (!choice.first) {
    link_.Reboot();
    return StepResult::Failure(FailureDetail("No valid load modules exist for this radio"));
  }
  // The other family's lines give way once there is an image to install.
  ShowVersionArea(host_, DescribeVersionArea(catalogue_, choice.family));
  family501 = choice.family == ImageFamily::Family501;
  familyChosen_ = true;
  return StepResult::To(FamilyImageOf(*choice.first)->erase);
}

}  // namespace p25
