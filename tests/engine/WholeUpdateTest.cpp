// Whole updates, tick by tick, from the Update button to Finished, against the simulated radio.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineRig.h"

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
  EXPECT_EQ(rig.engine.radioSerialNumber, 12345);
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
  EXPECT_TRUE(rig.engine.family501);
  for (SlotName slot : {SlotName::Control, SlotName::Dsp501}) ExpectFlashHolds(rig, slot);
  EXPECT_EQ(rig.radio.SerialNumber(), 12345u);
  EXPECT_FALSE(rig.host.Visible(1007));
}

TEST(WholeUpdate, BlocksPerTickAndProgressFollowTheImages) {
  EngineRig rig;
  // Count the FLASH code's ticks: 77 blocks at ten a tick.
  rig.engine.OnUpdateClicked();
  int downloadTicks = 0;
  std::vector<int> stepBar;
  while (rig.engine.currentState != S::Finished) {
    ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
    if (rig.engine.previousState == S::DownloadFlash) {
      ++downloadTicks;
      stepBar.push_back(rig.host.controls[kIdStepProgress].progress);
    }
    if (rig.engine.previousState == S::BootMode) {
      EXPECT_EQ(rig.engine.Values().BytesRemainingText, "760500");
      EXPECT_EQ(rig.host.controls[kIdOverallProgress].progress, 0);
    }
    if (rig.engine.previousState == S::ExecuteFlash) {
      EXPECT_EQ(rig.host.controls[kIdOverallProgress].progress, 2);
      EXPECT_EQ(rig.engine.Values().BytesRemainingText, std::to_string(760500 - 18740));
    }
    if (rig.engine.previousState == S::AwaitRestart) break;
  }
  EXPECT_EQ(downloadTicks, 8);
  ASSERT_FALSE(stepBar.empty());
  EXPECT_EQ(stepBar.front(), 2460 * 100 / 18740);
  EXPECT_EQ(stepBar.back(), 100);
}

TEST(WholeUpdate, SmallSetWritesEveryImageAndShowsAnEstimate) {
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
