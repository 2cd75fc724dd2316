// Whole updates, tick by tick, from the Update button to Finished, against the simulated radio.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineRig.h"
#include "support/Wire.h"

namespace p25::testing {
namespace {

using S = UpdateState;

std::vector<uint8_t> ImageBytes(ImageCatalogue& catalogue, SlotName slot) {
  LoadModule* image = catalogue.Image(slot).Module();
  image->Rewind();
  std::vector<uint8_t> bytes;
  uint8_t block[246];
  uint32_t address = 0;
  for (int n; (n = image->ReadBlock(block, 246, address)) > 0;) bytes.insert(bytes.end(), block, block + n);
  image->Rewind();
  return bytes;
}

// The requests the updater sent, by name, a run of the same one written "Name*count".
std::string Requests(const EngineRig& rig) {
  static const std::map<std::string, std::string> kNames = {
      {"1D 15", "ReadSerial"}, {"1D 11", "SetSerial"},  {"11 15 01 04", "ReadEsn"}, {"11 15 01 05", "ReadHw"},
      {"14 14", "BootMode"},   {"34 11", "Confirmed"},  {"15 11", "BootCode"},    {"35 11", "Signature"},
      {"16 14", "Execute"},    {"1A 11", "Rate"},       {"17 11", "Erase"},       {"18 11", "Write"},
      {"19 14", "Reboot"}};
  std::vector<std::string> names;
  for (const auto& bytes : rig.tap->written) {
    const auto message = test::Message(bytes);
    if (!message || message->empty()) continue;
    const size_t keyLength = (*message)[0] == 0x11 ? 4 : 2;
    const auto name = kNames.find(test::ToHex(message->data(), std::min(keyLength, message->size())));
    names.push_back(name != kNames.end() ? name->second : test::ToHex(*message));
  }
  std::string text;
  for (size_t i = 0, run = 1; i < names.size(); i += run) {
    for (run = 1; i + run < names.size() && names[i + run] == names[i];) ++run;
    text += (text.empty() ? "" : " ") + names[i] + (run > 1 ? "*" + std::to_string(run) : "");
  }
  return text;
}

void ExpectFlashHolds(EngineRig& rig, SlotName slot) {
  LoadModule* image = rig.catalogue.Image(slot).Module();
  ASSERT_NE(image, nullptr);
  const auto expected = ImageBytes(rig.catalogue, slot);
  EXPECT_EQ(rig.radio.Flash().Read(image->StartAddress(), static_cast<uint32_t>(expected.size())), expected)
      << rig.catalogue.Image(slot).Name();
}

TEST(WholeUpdate, Family503RunsEveryStateInOrderAndRestoresTheSerialNumber) {
  EngineRig rig;
  ASSERT_TRUE(rig.RunUpdate());
  const std::vector<S> expected = {S::Start,         S::PrepareImages, S::BootMode,      S::DownloadFlash,
                                   S::SignFlash,     S::ExecuteFlash,  S::SetBaudRate,   S::CheckCompatibility,
                                   S::EraseControlA, S::WriteControlA, S::SignControlA,  S::EraseControlB,
                                   S::WriteControlB, S::SignControlB,  S::EraseDsp,      S::WriteDsp,
                                   S::SignDsp,       S::RebootRadio,   S::AwaitRestart};
  EXPECT_EQ(rig.states, expected);
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_EQ(rig.host.Text(kIdUpdateButton), "&OK");
  EXPECT_EQ(rig.engine.Values().ErrorText, "");
  EXPECT_EQ(rig.host.beeps, 0);
  for (SlotName slot : {SlotName::ControlA, SlotName::ControlB, SlotName::Dsp}) ExpectFlashHolds(rig, slot);
  EXPECT_EQ(rig.radio.Stats().signaturesAccepted, 4);
  EXPECT_EQ(rig.radio.Stats().signaturesRefused, 0);
  EXPECT_EQ(rig.radio.SerialNumber(), 12345u);
  EXPECT_EQ(rig.engine.RadioSerialNumber(), 12345);
  EXPECT_FALSE(std::filesystem::exists(rig.RecoveryFile()));
  EXPECT_FALSE(rig.link.IsOpen());
  EXPECT_FALSE(rig.host.pleaseWaitOpen);
  EXPECT_FALSE(rig.host.timers.Running(kRebootWatchdogTimer));
  // The family chosen hides the other family's version rows.
  EXPECT_FALSE(rig.host.Visible(1022));
  // Full-size set: 760500 bytes in all; everything sent at the end.
  EXPECT_EQ(rig.engine.Values().BytesRemainingText, "0");
  EXPECT_EQ(rig.host.controls[kIdOverallProgress].progress, 100);
  const auto& overall = rig.host.controls[kIdOverallProgress].progressHistory;
  EXPECT_TRUE(std::is_sorted(overall.begin(), overall.end()));
  // The bytes readout starts at the full total, and the FLASH code alone is 2 per cent.
  EXPECT_NE(std::find(overall.begin(), overall.end(), 2), overall.end());
}

TEST(WholeUpdate, Family501WritesControlAndDsp501) {
  auto options = RadioOptions();
  options.hwFeatures = 2;
  EngineRig rig(options);
  ASSERT_TRUE(rig.RunUpdate());
  const std::vector<S> expected = {S::Start,         S::PrepareImages, S::BootMode,     S::DownloadFlash,
                                   S::SignFlash,     S::ExecuteFlash,  S::SetBaudRate,  S::CheckCompatibility,
                                   S::EraseControl,  S::WriteControl,  S::SignControl,  S::EraseDsp501,
                                   S::WriteDsp501,   S::SignDsp501,    S::RebootRadio,  S::AwaitRestart};
  EXPECT_EQ(rig.states, expected);
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_TRUE(rig.engine.Family501());
  for (SlotName slot : {SlotName::Control, SlotName::Dsp501}) ExpectFlashHolds(rig, slot);
  EXPECT_EQ(rig.radio.SerialNumber(), 12345u);
  EXPECT_FALSE(rig.host.Visible(1007));
}

TEST(WholeUpdate, BlocksPerTickProgressAndEstimateFollowTheImages) {
  EngineRig rig;
  // Count the FLASH code's ticks: 77 blocks at ten a tick.
  rig.engine.OnUpdateClicked();
  int downloadTicks = 0;
  std::vector<int> stepBar;
  std::string firstEstimate;
  S estimatedIn = S::Finished;
  while (rig.engine.CurrentState() != S::Finished) {
    ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
    if (firstEstimate.empty() && !rig.engine.Values().TimeRemainingText.empty()) {
      firstEstimate = rig.engine.Values().TimeRemainingText;
      estimatedIn = rig.engine.PreviousState();
    }
    if (rig.engine.PreviousState() == S::DownloadFlash) {
      ++downloadTicks;
      stepBar.push_back(rig.host.controls[kIdStepProgress].progress);
    }
    if (rig.engine.PreviousState() == S::BootMode) {
      EXPECT_EQ(rig.engine.Values().BytesRemainingText, "760500");
      EXPECT_EQ(rig.host.controls[kIdOverallProgress].progress, 0);
    }
    if (rig.engine.PreviousState() == S::ExecuteFlash) {
      EXPECT_EQ(rig.host.controls[kIdOverallProgress].progress, 2);
      EXPECT_EQ(rig.engine.Values().BytesRemainingText, std::to_string(760500 - 18740));
    }
    if (rig.engine.PreviousState() == S::AwaitRestart) break;
  }
  EXPECT_EQ(downloadTicks, 8);
  ASSERT_FALSE(stepBar.empty());
  EXPECT_EQ(stepBar.front(), 2460 * 100 / 18740);
  EXPECT_EQ(stepBar.back(), 100);
  // The estimate runs from the start of CONTROL block 2 and shows once 5000 bytes of the family are in;
  // it has come down to nothing when the radio is told to reboot.
  EXPECT_EQ(estimatedIn, S::WriteControlB);
  EXPECT_EQ(firstEstimate, "7 mins  28 secs");
  EXPECT_EQ(rig.engine.Values().TimeRemainingText, "0 min  0 sec");
}

TEST(WholeUpdate, SmallSetWritesEveryImage) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  for (const char* name : {"controlA", "controlB", "dsp"}) {
    for (const auto& image : SmallFirmware::Table()) {
      if (std::string(image.name) == name) {
        EXPECT_EQ(rig.radio.Flash().Read(image.byteAddress, image.words * 2), firmware.Bytes(name)) << name;
      }
    }
  }
}

TEST(WholeUpdate, ActivityLineAndRequestsFollowTheUpdatesPath) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  const std::vector<std::string> activities = {
      "", " ", "Initializing transfer", "Instructing radio to enter FLASH mode", "Downloading FLASH code to radio",
      "Instructing radio to execute FLASH code", "Sending baud rate to radio", "Checking target for compatibility",
      "Erasing CONTROL code in radio", "Downloading CONTROL code block 1 to radio", "Erasing CONTROL code in radio",
      "Downloading CONTROL code block 2 to radio", "Erasing DSP code in radio", "Downloading DSP code to radio",
      "Instructing radio to reboot", "Completing Update", "Update Completed Succesfully"};
  EXPECT_EQ(rig.host.activities, activities);
  // One same-radio read before boot mode when the first one matches; blocks of 246 bytes.
  EXPECT_EQ(Requests(rig),
            "ReadSerial ReadEsn ReadSerial BootMode*2 Confirmed BootCode*3 Signature Execute Rate ReadHw "
            "Erase Write*3 Signature Erase Write*12 Signature Erase Write*3 Signature Reboot ReadEsn SetSerial "
            "ReadSerial");
}

TEST(WholeUpdate, UnsignedBootLoaderGetsTheFlashCodeWithoutItsSignature) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.signedBoot = false;  // refuses ConfirmedReboot
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  const std::string start = "ReadSerial ReadEsn ReadSerial BootMode*2 Confirmed BootCode*3 Execute Rate ReadHw ";
  EXPECT_EQ(Requests(rig).substr(0, start.size()), start);
  EXPECT_EQ(std::count(rig.states.begin(), rig.states.end(), S::SignFlash), 0);
  EXPECT_EQ(rig.radio.Stats().signaturesAccepted, 3);
}

struct PartialSetCase {
  const char* name;
  std::set<uint16_t> missing;
  uint32_t hwFeatures;
  std::vector<S> path;  // from the family's first erase up to the reboot
};

class PartialSet : public ::testing::TestWithParam<PartialSetCase> {};

// The radio checks each signature over what was written, so a completed update wrote each image whole.
TEST_P(PartialSet, InstallsWhatTheFamilyHasInItsOrder) {
  SmallFirmware firmware(GetParam().missing);
  auto options = RadioOptions();
  options.hwFeatures = GetParam().hwFeatures;
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  const auto chosen = std::find(rig.states.begin(), rig.states.end(), S::CheckCompatibility);
  const auto reboot = std::find(chosen, rig.states.end(), S::RebootRadio);
  ASSERT_NE(reboot, rig.states.end());
  EXPECT_EQ(std::vector<S>(chosen + 1, reboot), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, PartialSet,
    ::testing::Values(
        PartialSetCase{"Dsp501Only", {164, 185}, 2, {S::EraseDsp501, S::WriteDsp501, S::SignDsp501}},
        PartialSetCase{"ControlOnly", {176, 186}, 2, {S::EraseControl, S::WriteControl, S::SignControl}},
        PartialSetCase{"DspOnly", {131, 103, 152, 102}, 1, {S::EraseDsp, S::WriteDsp, S::SignDsp}},
        PartialSetCase{"WithoutControlA", {131, 103}, 1, {S::EraseControlB, S::WriteControlB, S::SignControlB,
                                                          S::EraseDsp, S::WriteDsp, S::SignDsp}},
        PartialSetCase{"WithoutControlB", {152, 102}, 1, {S::EraseControlA, S::WriteControlA, S::SignControlA,
                                                          S::EraseDsp, S::WriteDsp, S::SignDsp}},
        PartialSetCase{"WithoutDsp", {133, 104}, 1, {S::EraseControlA, S::WriteControlA, S::SignControlA,
                                                     S::EraseControlB, S::WriteControlB, S::SignControlB}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WholeUpdate, ResumesAfterSerialNumberLossAndRestoresTheFirstSavedNumber) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.faults.loseSerialOnErase = true;
  options.faults.powerLossAfterWrites = 5;
  std::filesystem::path state = std::filesystem::temp_directory_path() / ("p25state-" + std::to_string(::getpid()));
  options.statePath = state.string();
  std::filesystem::path recovery;
  {
    EngineRig first(options, &firmware);
    ASSERT_TRUE(first.RunUpdate());
    EXPECT_NE(first.ErrorLine(), "");
    EXPECT_EQ(first.radio.SerialNumber(), 0u);
    recovery = first.RecoveryFile();
    ASSERT_TRUE(std::filesystem::exists(recovery));
    std::filesystem::copy_file(recovery, state.string() + ".recovery", std::filesystem::copy_options::overwrite_existing);
  }
  options.faults = {};
  SimulatedRadio::Options resumed = options;
  EngineRig second(resumed, &firmware);
  std::string error;
  ASSERT_TRUE(second.radio.LoadState(error)) << error;
  EXPECT_EQ(second.radio.SerialNumber(), 0u);
  std::filesystem::copy_file(state.string() + ".recovery", second.RecoveryFile());
  second.host.answers = {true};
  ASSERT_TRUE(second.RunUpdate());
  EXPECT_EQ(second.host.questions.size(), 1u);
  EXPECT_EQ(second.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_EQ(second.radio.SerialNumber(), 12345u);
  EXPECT_FALSE(std::filesystem::exists(second.RecoveryFile()));
  std::filesystem::remove(state);
  std::filesystem::remove(state.string() + ".recovery");
}

}  // namespace
}  // namespace p25::testing
