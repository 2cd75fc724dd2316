// How the engine reaches the catalogue: slots by name, sizes in bytes, reloads and rewinds.
#include "engine/EngineCatalogue.h"

#include "engine/UpdateEngine.h"

namespace p25 {

LoadModule* UpdateEngine::Image(SlotName slot) const { return catalogue_.Image(slot).Module(); }

ModuleSignature* UpdateEngine::Signature(SlotName slot) const { return catalogue_.Signature(slot).Signature(); }

int64_t UpdateEngine::ImageBytes(SlotName slot) const {
  const LoadModule* image = Image(slot);
  return image != nullptr ? int64_t{image->TotalWords()} * 2 : 0;
}

int64_t UpdateEngine::ImageBytesRemaining(SlotName slot) const {
  const LoadModule* image = Image(slot);
  return image != nullptr ? int64_t{image->RemainingWords()} * 2 : 0;
}

std::string UpdateEngine::UpperName(SlotName slot) const { return catalogue_.Image(slot).UpperName(); }

std::string UpdateEngine::DeviceName() const {
  const int index = values_.selectedPortIndex;
  return index >= 0 && index < ports_.Size() ? ports_.deviceNames[static_cast<size_t>(index)] : std::string();
}

StepResult UpdateEngine::StepPrepareImages(const PathRow&) {
  for (SlotName slot : {SlotName::Flash, SlotName::ControlA, SlotName::ControlB, SlotName::Control, SlotName::Dsp,
                        SlotName::Dsp501}) {
    if (std::string failure; !catalogue_.Image(slot).SlotReload(failure))
      return StepResult::Failure(FailureDetail(failure));
  }
  for (SlotName slot : {SlotName::Flash, SlotName::ControlA, SlotName::ControlB, SlotName::Dsp, SlotName::Dsp501,
                        SlotName::Control}) {
    if (std::string failure; !catalogue_.Signature(slot).SlotReload(failure))
      return StepResult::Failure(FailureDetail(failure));
  }
  struct Reset {
    SlotName slot;
    bool signature;
    const char* failure;
  };
  static constexpr Reset kResets[] = {
      {SlotName::Flash, false, "Failed to reset FLASH file resource"},
      {SlotName::Flash, true, "Failed to reset FLASH Signature file resource"},
      {SlotName::ControlA, false, "Failed to reset CONTROL file resource"},
      {SlotName::ControlA, true, "Failed to reset CONTROL Signature file resource"},
      {SlotName::ControlB, false, "Failed to reset CONTROL file resource"},
      {SlotName::ControlB, true, "Failed to reset CONTROL2 Signature file resource"},
      {SlotName::Control, false, "Failed to reset 501 CONTROL file resource"},
      {SlotName::Control, true, "Failed to reset 501 Control Signature file resource"},
      {SlotName::Dsp, false, "Failed to reset 503 DSP file resource"},
      {SlotName::Dsp, true, "Failed to reset DSP Signature file resource"},
      {SlotName::Dsp501, false, "Failed to reset 501 DSP file resource"},
      {SlotName::Dsp501, true, "Failed to reset 501 DSP Sig File Resource"},
  };
  for (const Reset& reset : kResets) {
    bool ok = true;
    if (reset.signature) {
      if (ModuleSignature* signature = Signature(reset.slot)) ok = signature->Rewind();
    } else if (LoadModule* image = Image(reset.slot)) {
      ok = image->Rewind();
    }
    if (!ok) return StepResult::Failure(FailureDetail(reset.failure));
  }
  return StepResult::Success();
}

}  // namespace p25
