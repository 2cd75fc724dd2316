// The path of an update, state by state: what its entry shows, which step it runs, where success and
// failure lead, and which steps run on within the same tick.
#include "engine/UpdatePath.h"

#include <array>
#include <iterator>

#include "engine/UpdateEngine.h"
#include "images/Catalogue.h"

namespace p25 {

namespace {

using S = UpdateState;
using E = UpdateEngine;

constexpr FamilyImage k503[] = {
    {SlotName::ControlA, S::EraseControlA, S::WriteControlA, S::SignControlA,
     "CONTROL Block 1 Image Authentication Failure", S::RebootRadio, {SlotName::ControlB}, 1},
    {SlotName::ControlB, S::EraseControlB, S::WriteControlB, S::SignControlB,
     "CONTROL Block 2 Image Authentication Failure", S::RebootRadio, {}, 0},
    {SlotName::Dsp, S::EraseDsp, S::WriteDsp, S::SignDsp, "DSP Image Authentication Failure", S::Failed,
     {SlotName::ControlA, SlotName::ControlB}, 2},
};

constexpr FamilyImage k501[] = {
    {SlotName::Control, S::EraseControl, S::WriteControl, S::SignControl, "CONTROL Image Authentication Failure",
     S::Failed, {}, 0},
    {SlotName::Dsp501, S::EraseDsp501, S::WriteDsp501, S::SignDsp501, "DSP Image Authentication Failure", S::Failed,
     {SlotName::Control}, 1},
};

constexpr const FamilyImage& Img(const FamilyImage (&family)[3], int i) { return family[i]; }
constexpr const FamilyImage& Img(const FamilyImage (&family)[2], int i) { return family[i]; }

constexpr const char kInitializing[] = "Initializing transfer";
constexpr const char kEraseControl[] = "Erasing CONTROL code in radio";
constexpr const char kEraseDsp[] = "Erasing DSP code in radio";
constexpr const char kWriteDsp[] = "Downloading DSP code to radio";

}  // namespace

const FamilyImage* FamilyImages(bool family501, int& count) {
  count = family501 ? static_cast<int>(std::size(k501)) : static_cast<int>(std::size(k503));
  return family501 ? k501 : k503;
}

const FamilyImage* FamilyImageOf(SlotName slot) {
  for (const FamilyImage& image : k503)
    if (image.slot == slot) return &image;
  for (const FamilyImage& image : k501)
    if (image.slot == slot) return &image;
  return nullptr;
}

// Read down the table for the road of one update; the state's own steps decide their branches (more
// blocks to write, a question answered, the family chosen).
const PathRow* UpdateEngine::PathRowOf(UpdateState state) {
  static const PathRow kPath[] = {
      // state               entry activity text                           entry controls  step
      //                     success               failure        chained  image  signature failure
      {S::Start, " ", kNoControls, &E::StepStart, S::PrepareImages, S::Failed, false, nullptr, nullptr},
      {S::PrepareImages, kInitializing, kNoControls, &E::StepPrepareImages, S::Identify, S::Failed, true, nullptr, nullptr},
      {S::Identify, kInitializing, kNoControls, &E::StepIdentify, S::SaveRecovery, S::Failed, true, nullptr, nullptr},
      {S::SaveRecovery, kInitializing, kNoControls, &E::StepSaveRecovery, S::CheckSerial, S::Failed, true, nullptr,
       nullptr},
      {S::CheckSerial, kInitializing, kNoControls, &E::StepCheckSerial, S::BootMode, S::Failed, false, nullptr, nullptr},
      {S::BootMode, "Instructing radio to enter FLASH mode", kShowProgress, &E::StepBootMode, S::DownloadFlash,
       S::Failed, false, nullptr, nullptr},
      {S::DownloadFlash, "Downloading FLASH code to radio", kNoControls, &E::StepDownloadFlash, S::ExecuteFlash,
       S::Failed, false, nullptr, nullptr},
      {S::SignFlash, nullptr, kNoControls, &E::StepSign, S::ExecuteFlash, S::Failed, false, nullptr,
       "Flash Image Authentication Failure"},
      {S::ExecuteFlash, "Instructing radio to execute FLASH code", kNoControls, &E::StepExecuteFlash, S::SetBaudRate,
       S::Failed, false, nullptr, nullptr},
      // A rate the radio will not take sends the radio back to its boot loader and identifies it again.
      {S::SetBaudRate, "Sending baud rate to radio", kShowTime, &E::StepSetBaudRate, S::CheckCompatibility,
       S::Identify, false, nullptr, nullptr},
      {S::CheckCompatibility, "Checking target for compatibility", kNoControls, &E::StepCheckCompatibility,
       S::Failed, S::Failed, false, nullptr, nullptr},
      {S::EraseControlA, kEraseControl, kNoControls, &E::StepErase, S::WriteControlA, S::Failed, false, &Img(k503, 0),
       nullptr},
      {S::EraseControlB, kEraseControl, kNoControls, &E::StepErase, S::WriteControlB, S::Failed, false, &Img(k503, 1),
       nullptr},
      {S::EraseControl, kEraseControl, kNoControls, &E::StepErase, S::WriteControl, S::Failed, false, &Img(k501, 0),
       nullptr},
      {S::WriteControlA, "Downloading CONTROL code block 1 to radio", kNoControls, &E::StepWrite, S::SignControlA,
       S::Failed, false, &Img(k503, 0), nullptr},
      {S::SignControlA, nullptr, kNoControls, &E::StepSign, S::RebootRadio, S::Failed, false, &Img(k503, 0),
       Img(k503, 0).signFailure},
      {S::WriteControlB, "Downloading CONTROL code block 2 to radio", kNoControls, &E::StepWrite, S::SignControlB,
       S::Failed, false, &Img(k503, 1), nullptr},
      {S::SignControlB, nullptr, kNoControls, &E::StepSign, S::RebootRadio, S::Failed, false, &Img(k503, 1),
       Img(k503, 1).signFailure},
      {S::WriteControl, "Downloading CONTROL code to radio", kNoControls, &E::StepWrite, S::SignControl, S::Failed,
       false, &Img(k501, 0), nullptr},
      {S::SignControl, nullptr, kNoControls, &E::StepSign, S::RebootRadio, S::Failed, false, &Img(k501, 0),
       Img(k501, 0).signFailure},
      {S::EraseDsp, kEraseDsp, kNoControls, &E::StepErase, S::WriteDsp, S::Failed, false, &Img(k503, 2), nullptr},
      {S::EraseDsp501, kEraseDsp, kNoControls, &E::StepErase, S::WriteDsp501, S::Failed, false, &Img(k501, 1), nullptr},
      {S::WriteDsp, kWriteDsp, kNoControls, &E::StepWrite, S::SignDsp, S::Failed, false, &Img(k503, 2), nullptr},
      {S::SignDsp, nullptr, kNoControls, &E::StepSign, S::RebootRadio, S::Failed, false, &Img(k503, 2),
       Img(k503, 2).signFailure},
      {S::WriteDsp501, kWriteDsp, kNoControls, &E::StepWrite, S::SignDsp501, S::Failed, false, &Img(k501, 1), nullptr},
      {S::SignDsp501, nullptr, kNoControls, &E::StepSign, S::RebootRadio, S::Failed, false, &Img(k501, 1),
       Img(k501, 1).signFailure},
      {S::RebootRadio, "Instructing radio to reboot", kNoControls, &E::StepReboot, S::AwaitRestart, S::Failed, false,
       nullptr, nullptr},
      {S::AwaitRestart, "Completing Update", kHideStepBar, &E::StepAwaitRestart, S::RestoreSerial, S::Failed, true,
       nullptr, nullptr},
      {S::RestoreSerial, nullptr, kNoControls, &E::StepRestoreSerial, S::Complete, S::Failed, true, nullptr, nullptr},
      {S::Complete, nullptr, kNoControls, &E::StepComplete, S::Finished, S::Failed, false, nullptr, nullptr},
      {S::Failed, nullptr, kNoControls, &E::StepFailed, S::Finished, S::Finished, false, nullptr, nullptr},
      {S::Finished, nullptr, kNoControls, &E::StepFinished, S::Finished, S::Finished, false, nullptr, nullptr},
  };
  static_assert(std::size(kPath) == kLastUpdateState - kFirstUpdateState + 1, "one row per state");
  if (!IsUpdateState(state)) return nullptr;
  return &kPath[static_cast<int>(state) - kFirstUpdateState];
}

}  // namespace p25
