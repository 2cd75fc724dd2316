// Every way an update can fail ends in Failed with its own error line and one beep, and leaves the
// radio's serial number recoverable.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "EngineRig.h"
#include "engine/RecoveryFile.h"
#include "platform/StopSignal.h"
#include "support/Wire.h"

namespace p25::testing {
namespace {

using S = UpdateState;

const std::vector<uint8_t> kEnterBootMode = {0xDB, 0x14, 0x14};
const std::vector<uint8_t> kReadHwFeatures = {0xDB, 0x11, 0x15, 0x01, 0x05};
const std::vector<uint8_t> kReadEsn = {0xDB, 0x11, 0x15, 0x01, 0x04};
const std::vector<uint8_t> kWriteFlash = {0xDB, 0x18, 0x11};
const std::vector<uint8_t> kSetSerialNumber = {0xDB, 0x1D, 0x11};
const std::vector<uint8_t> kChangeBaudRate = {0xDB, 0x1A, 0x11};
const std::vector<uint8_t> kReadSerialNumber = {0xDB, 0x1D, 0x15};
const std::vector<uint8_t> kReboot = {0xDB, 0x19, 0x14};

// The state whose handler failed the update.
S FailedIn(const EngineRig& rig) { return rig.states.size() > 1 ? rig.states[rig.states.size() - 2] : S::Start; }

bool Visited(const EngineRig& rig, S state) {
  return std::find(rig.states.begin(), rig.states.end(), state) != rig.states.end();
}

void ExpectFailedWith(EngineRig& rig, const std::string& line) {
  EXPECT_EQ(rig.ErrorLine(), line);
  EXPECT_EQ(rig.host.beeps, 1);
  EXPECT_FALSE(rig.link.IsOpen());
  EXPECT_FALSE(rig.host.pleaseWaitOpen);
  EXPECT_NE(rig.host.Text(kIdUpdateButton), "&OK");
  EXPECT_TRUE(rig.host.Visible(kIdErrorLine));
  EXPECT_FALSE(rig.host.Visible(kIdStepProgress));
  EXPECT_FALSE(rig.host.Visible(kIdTimeValue));
}

struct SelectionCase {
  int port;
  int baud;
  const char* line;
};

class InvalidSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(InvalidSelection, FailsBeforeThePortIsOpened) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.host.selectPort = GetParam().port;
  rig.host.selectBaud = GetParam().baud;
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, GetParam().line);
  EXPECT_TRUE(rig.line->DeviceName().empty());
  // A failure before boot mode never shows the progress display.
  EXPECT_FALSE(rig.host.Visible(kIdOverallProgress));
  EXPECT_FALSE(rig.host.Visible(kIdBytesValue));
  EXPECT_FALSE(rig.host.Visible(kIdPicture));
}

INSTANTIATE_TEST_SUITE_P(Engine, InvalidSelection,
                         ::testing::Values(SelectionCase{10, 2, "Error: Invalid communications port name"},
                                           SelectionCase{-1, 2, "Error: Invalid communications port name"},
                                           SelectionCase{0, 3, "Error: Invalid baud rate selected"},
                                           SelectionCase{0, -1, "Error: Invalid baud rate selected"}));

TEST(FailurePath, PortThatWillNotOpenShowsTheLinkError) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.line->SetOpenFails(true);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Failed to open communications port");
  // No power-cycle advice: no radio was reached.
  EXPECT_EQ(rig.engine.FailureAdvice(), "Nothing was sent to the radio.");
}

TEST(FailurePath, NoSerialNumberAnsweredNoStopsAndKeepsTheRecord) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.serialNumber = 0;
  EngineRig rig(options, &firmware);
  rig.host.answers = {false};
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Update process stopped by user");
  ASSERT_EQ(rig.host.questions.size(), 1u);
  EXPECT_EQ(rig.host.questions[0],
            "Update has not been able to read a serial number from the target radio, would you like to continue to "
            "download this update anyway?  Make sure the target is set to 9600 BAUD. If the target is in Boot Mode, "
            "then select \"Yes\"");
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
  EXPECT_EQ(rig.radio.Stats().erases, 0);
}

TEST(FailurePath, NoSerialNumberAnsweredYesAsksOnceThenUpdatesButCannotComplete) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.serialNumber = 0;
  EngineRig rig(options, &firmware);
  rig.host.answers = {true};
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.host.questions.size(), 1u);
  EXPECT_GT(rig.radio.Stats().signaturesAccepted, 3);
  // Nothing to restore: the radio still reports no serial number.
  ExpectFailedWith(rig, "Error: No Serial Number in Target Radio");
}

TEST(FailurePath, DifferentRadioAtBootModeRemovesTheRecoveryFile) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.faults.swapAfterIdentify = true;
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Radio Serial Number Mismatch Error");
  EXPECT_FALSE(std::filesystem::exists(rig.folder / "1234ABCD"));
  EXPECT_EQ(rig.radio.Stats().erases, 0);
}

TEST(FailurePath, BootModeNotAcknowledged) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kEnterBootMode, 100);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Radio not responding");
}

TEST(FailurePath, FlashBlockFailingThreeTimes) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kWriteFlash, 9, 1);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Failed to receive frame from radio");
  EXPECT_EQ(FailedIn(rig), S::WriteControlA);
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
}

TEST(FailurePath, FlashBlockFailingTwiceIsSentAgain) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kWriteFlash, 6, 4);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
}

TEST(FailurePath, SignatureRefusedTenTimes) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.faults.refuseSignatures = 10;
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Flash Image Authentication Failure; Negative confirmation received from radio");
  EXPECT_EQ(rig.radio.Stats().signaturesRefused, 10);
}

struct AuthenticationCase {
  uint16_t signatureId;
  uint32_t hwFeatures;
  S failedIn;
  const char* image;
};

class AuthenticationFailure : public ::testing::TestWithParam<AuthenticationCase> {};

TEST_P(AuthenticationFailure, NamesTheImageWhoseSignatureTheRadioRefusedTenTimes) {
  SmallFirmware firmware;
  firmware.Replace("SGNFILE", GetParam().signatureId, std::string(20, 'x'));
  auto options = RadioOptions();
  options.hwFeatures = GetParam().hwFeatures;
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, std::string("Error: ") + GetParam().image +
                            " Image Authentication Failure; Negative confirmation received from radio");
  EXPECT_EQ(FailedIn(rig), GetParam().failedIn);
  EXPECT_EQ(rig.radio.Stats().signaturesRefused, 10);
}

INSTANTIATE_TEST_SUITE_P(Engine, AuthenticationFailure,
                         ::testing::Values(AuthenticationCase{101, 1, S::SignFlash, "Flash"},
                                           AuthenticationCase{103, 1, S::SignControlA, "CONTROL Block 1"},
                                           AuthenticationCase{102, 1, S::SignControlB, "CONTROL Block 2"},
                                           AuthenticationCase{104, 1, S::SignDsp, "DSP"},
                                           AuthenticationCase{185, 2, S::SignControl, "CONTROL"},
                                           AuthenticationCase{186, 2, S::SignDsp501, "DSP"}),
                         [](const auto& info) { return std::string(UpdateStateName(info.param.failedIn)); });

TEST(FailurePath, SignatureRefusedNineTimesThenAccepted) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.faults.refuseSignatures = 9;
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_EQ(rig.radio.Stats().signaturesRefused, 9);
}

TEST(FailurePath, RefusedRateFallsBackAndTheBaudListFollows) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.faults.refusedRates = {38400};
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_EQ(rig.engine.Values().selectedBaudIndex, 1);
  EXPECT_EQ(rig.host.shown.selectedBaudIndex, 1);
}

TEST(FailurePath, EveryRateRefusedThreeTimesEndsTheUpdate) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kChangeBaudRate, 1000);
  ASSERT_TRUE(rig.RunUpdate(5000));
  EXPECT_EQ(rig.engine.BootRetryCount(), 3);
  // Each retry downloads the whole FLASH code again.
  EXPECT_EQ(std::count(rig.states.begin(), rig.states.end(), S::SignFlash), 4);
  EXPECT_EQ(rig.engine.Values().selectedBaudIndex, 0);
  EXPECT_EQ(FailedIn(rig), S::ExecuteFlash);
  ExpectFailedWith(rig, "Error: ");
}

TEST(FailurePath, HwFeaturesFailingRunsTheFlashCodeAgain) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kReadHwFeatures, 3);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_EQ(std::count(rig.states.begin(), rig.states.end(), S::ExecuteFlash), 2);
}

TEST(FailurePath, NoImageForTheFamilyRebootsTheRadio) {
  SmallFirmware firmware({131, 152, 133});
  EngineRig rig(RadioOptions(), &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: No valid load modules exist for this radio");
  EXPECT_EQ(rig.radio.Stats().reboots, 1);
  EXPECT_EQ(rig.radio.Stats().erases, 0);
  // With nothing to install the other family's line stays.
  EXPECT_TRUE(rig.host.Visible(kIdVersion501Control));
}

TEST(FailurePath, MissingControlASignatureGoesStraightToReboot) {
  SmallFirmware firmware({103});
  EngineRig rig(RadioOptions(), &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  const auto written = std::find(rig.states.begin(), rig.states.end(), S::WriteControlA);
  ASSERT_NE(written, rig.states.end());
  EXPECT_EQ(*(written + 1), S::RebootRadio);
  EXPECT_FALSE(Visited(rig, S::WriteControlB));
  EXPECT_FALSE(Visited(rig, S::WriteDsp));
}

TEST(FailurePath, MissingControlSignatureFailsWithTheLinkTextOnly) {
  SmallFirmware firmware({185});
  auto options = RadioOptions();
  options.hwFeatures = 0;
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(FailedIn(rig), S::WriteControl);
  ExpectFailedWith(rig, "Error: ");
}

TEST(FailurePath, RadioThatNeverSaysOkTripsTheWatchdog) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.faults.neverSayOk = true;
  EngineRig rig(options, &firmware);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Radio Failed to Reboot. Update may have to be restarted");
  EXPECT_FALSE(rig.host.timers.Running(kRebootWatchdogTimer));
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
}

TEST(FailurePath, OkFollowedByFailingEsnWaitsForAFreshOk) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  // The first ESN read passes (identification); the one after the reboot is lost.
  rig.tap->Lose(kReadEsn, 3, 1);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Radio Failed to Reboot. Update may have to be restarted; Failed to receive frame from radio");
  EXPECT_EQ(rig.tap->lost, 3);
}

struct StepFailureCase {
  const char* what;
  S faultFrom;  // the fault starts once the engine is about to run this state
  std::function<void(EngineRig&)> fault;
  const char* line;
  int reboots;
};

class StepFailure : public ::testing::TestWithParam<StepFailureCase> {};

TEST_P(StepFailure, EndsWithItsOwnErrorLineAndKeepsTheRecord) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  while (rig.engine.CurrentState() != GetParam().faultFrom) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  GetParam().fault(rig);
  ASSERT_TRUE(rig.RunUntilFinished());
  ExpectFailedWith(rig, GetParam().line);
  EXPECT_EQ(rig.radio.Stats().reboots, GetParam().reboots);
  EXPECT_FALSE(rig.host.timers.Running(kRebootWatchdogTimer));
  EXPECT_EQ(std::filesystem::exists(rig.RecoveryFile()), GetParam().faultFrom != S::Start);
  // The technician learns why the file could not be written, in the OS's words.
  const std::string advice = rig.engine.FailureAdvice();
  EXPECT_EQ(advice.find("could not be written (") != std::string::npos, GetParam().faultFrom == S::Start) << advice;
}

INSTANTIATE_TEST_SUITE_P(
    Engine, StepFailure,
    ::testing::Values(
        StepFailureCase{"recovery file", S::Start,
                        [](EngineRig& rig) {
                          // A folder under a plain file cannot be made, whoever runs the test.
                          std::ofstream(rig.folder / "plain") << "x";
                          rig.engine.SetRecoveryDirectory((rig.folder / "plain" / "sub").string());
                        },
                        "Error: Can not write to drive", 0},
        StepFailureCase{"reboot lost", S::RebootRadio, [](EngineRig& rig) { rig.tap->Lose(kReboot, 3); },
                        "Error: Failed to receive frame from radio", 0},
        StepFailureCase{"wait window", S::RebootRadio, [](EngineRig& rig) { rig.host.pleaseWaitWorks = false; },
                        "Error: Failed to display wait warning", 1},
        StepFailureCase{"port after reboot", S::RebootRadio, [](EngineRig& rig) { rig.line->SetOpenFails(true); },
                        "Error: Failed to open port; Failed to open communications port", 1}),
    [](const auto& info) {
      std::string name = info.param.what;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

TEST(FailurePath, CancelDuringTheRebootWaitLeavesNothingToEndTheNextUpdatesWait) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  while (rig.engine.PreviousState() != S::AwaitRestart) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  ASSERT_TRUE(rig.host.timers.Running(kRebootWatchdogTimer) && rig.host.pleaseWaitOpen);
  rig.engine.OnUpdateClicked();
  EXPECT_FALSE(rig.host.timers.Running(kRebootWatchdogTimer));
  EXPECT_FALSE(rig.host.pleaseWaitOpen);
  EXPECT_FALSE(rig.link.IsOpen());
  // An expiry already queued when the wait was cancelled (a window may still deliver one) shows nothing.
  rig.engine.OnTimer(kRebootWatchdogTimer);
  EXPECT_EQ(rig.ErrorLine(), "");
  EXPECT_EQ(rig.host.beeps, 0);
  rig.clock.SleepMs(10000);  // the radio finishes its restart
  ASSERT_TRUE(rig.RunUpdate());
  EXPECT_EQ(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_EQ(rig.host.pleaseWaitOpened, 2);
  EXPECT_EQ(rig.radio.Stats().reboots, 2);
}

TEST(FailurePath, DifferentEsnAfterTheRebootCompletesAsUnrestoredAndKeepsTheFirstRecord) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  while (rig.engine.PreviousState() != S::RebootRadio) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  const std::filesystem::path firstRecord = rig.RecoveryFile();
  // While the radio restarts another one is attached: the same serial number and flash, another ESN;
  // it is told to reboot so that it says "OK" in its turn.
  auto options = RadioOptions();
  options.esnLow = 0x5555;
  options.startRate = 9600;
  SimulatedRadio other(options);
  other.Memory() = rig.radio.Memory();
  rig.radio = std::move(other);
  for (uint8_t byte : test::Wire({0x19, 0x14, 0x00})) rig.radio.Hear(rig.clock.ElapsedMicros(), byte, 9600);
  ASSERT_TRUE(rig.RunUntilFinished());
  EXPECT_EQ(rig.engine.RadioEsn(), "12345555");
  ASSERT_EQ(rig.host.notices.size(), 1u);
  EXPECT_EQ(rig.engine.Values().ActivityText,
            "Update completed, but the radio's settings were not restored: check the radio's serial number. "
            "The update may have to be restarted");
  EXPECT_EQ(rig.host.Text(kIdUpdateButton), "&OK");
  EXPECT_TRUE(std::filesystem::exists(firstRecord));
  EXPECT_EQ(rig.engine.RadioSerialNumber(), 12345);
}

TEST(FailurePath, RestoreNotAnsweredKeepsTheRecoveryFile) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kSetSerialNumber, 3);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Target Radio Not Responding; Failed to receive frame from radio");
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
}

TEST(FailurePath, MissingRecoveryFileAtTheEndAsksToCheckTheSerialNumber) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  while (rig.engine.PreviousState() != S::RebootRadio) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  std::filesystem::remove(rig.RecoveryFile());
  ASSERT_TRUE(rig.RunUntilFinished());
  ASSERT_EQ(rig.host.notices.size(), 1u);
  EXPECT_EQ(rig.host.Text(kIdUpdateButton), "&OK");
  EXPECT_NE(rig.engine.Values().ActivityText, "Update Completed Succesfully");
  EXPECT_NE(rig.engine.Values().ActivityText.find("serial number"), std::string::npos);
  EXPECT_EQ(rig.radio.SerialNumber(), 12345u);
}

TEST(FailurePath, CancelInTheMiddleStopsEverythingAndKeepsTheRecord) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  while (rig.engine.PreviousState() != S::WriteControlB) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  rig.engine.OnUpdateClicked();
  EXPECT_FALSE(rig.host.timers.Running(kUpdateTimer));
  EXPECT_FALSE(rig.link.IsOpen());
  EXPECT_EQ(rig.host.Text(kIdUpdateButton), "&Update");
  EXPECT_TRUE(rig.host.controls[kIdPortList].enabled);
  EXPECT_TRUE(rig.host.Visible(kIdPicture));
  EXPECT_FALSE(rig.host.Visible(kIdOverallProgress));
  EXPECT_EQ(rig.engine.Values().ActivityText, "");
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
  EXPECT_EQ(rig.host.beeps, 0);
}

TEST(FailurePath, PulledCableFailsAtOnceWithTheReasonAndKeepsTheRecord) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->PullAfter(kWriteFlash, 5, rig.clock);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Failed to read from serial port (" + SystemErrorText(LineTap::kGone) + ")");
  // No acknowledgement window, retry or state pause is waited out on a device that is gone.
  EXPECT_LT(rig.clock.ElapsedMicros() - rig.tap->pulledAtMicros, 100'000u);
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
}

// Each way the one good copy of a serial number could be lost: the copy stays, and only this radio's
// own numbers are ever written back.
struct KeptCopyCase {
  const char* name;
  uint32_t radioSerial;
  std::string fileAtTheEnd;  // replaces the recovery file once the radio reboots; empty keeps it
  bool folderInstead;        // the file's name holds something that cannot be read as a file
  const char* line;          // error line, or empty when the update completes
  uint32_t serialAfter;
};

class KeptCopy : public ::testing::TestWithParam<KeptCopyCase> {};

TEST_P(KeptCopy, RecoveryFileStays) {
  const KeptCopyCase& c = GetParam();
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.serialNumber = c.radioSerial;
  EngineRig rig(options, &firmware);
  rig.host.answers = {true};
  rig.engine.OnUpdateClicked();
  while (rig.engine.PreviousState() != S::RebootRadio) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  if (!c.fileAtTheEnd.empty()) std::ofstream(rig.RecoveryFile(), std::ios::binary | std::ios::trunc) << c.fileAtTheEnd;
  if (c.folderInstead) {
    std::filesystem::remove(rig.RecoveryFile());
    std::filesystem::create_directory(rig.RecoveryFile());
  }
  ASSERT_TRUE(rig.RunUntilFinished());
  EXPECT_EQ(rig.ErrorLine(), c.line);
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
  EXPECT_EQ(rig.radio.SerialNumber(), c.serialAfter);
}

INSTANTIATE_TEST_SUITE_P(
    FailurePath, KeptCopy,
    ::testing::Values(
        // The first record holds 0: the radio is left without a number, and the file is all there is.
        KeptCopyCase{"ZeroRestored", 12345, FormatRecoveryRecord(0), false, "Error: No Serial Number in Target Radio", 0},
        KeptCopyCase{"Unreadable", 12345, "", true, "", 12345},
        // A torn record: this radio's number from the start goes back, never a 0.
        KeptCopyCase{"TornRecord", 12345, "P25SN 123", false, "", 12345},
        KeptCopyCase{"TornRecordNoNumber", 0, "P25SN 123", false, "Error: No Serial Number in Target Radio", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FailurePath, KnownSerialNumberWithoutEsnStopsBeforeBootMode) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kReadEsn, 9);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Unable to read the radio's ESN, so its serial number can not be saved; "
                        "Failed to receive frame from radio");
  EXPECT_EQ(rig.tap->lost, 9);
  EXPECT_FALSE(Visited(rig, S::BootMode));
}

TEST(FailurePath, SameRadioCheckThatGetsNoAnswerKeepsTheRecoveryFile) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.tap->Lose(kReadSerialNumber, 9, 1);
  ASSERT_TRUE(rig.RunUpdate());
  ExpectFailedWith(rig, "Error: Radio Serial Number Mismatch Error");
  EXPECT_TRUE(std::filesystem::exists(rig.RecoveryFile()));
}

// A stop raised while the engine pauses: no further request reaches the radio, and the words on the
// radio's state follow what was done to it.
struct StopCase {
  S reached;
  const char* words;
};

class StopRequested : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopRequested, SendsNothingMoreAndSaysWhereTheRadioIs) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  StopSignal stop;
  rig.clock.WatchStop(&stop);
  rig.link.WatchStop(&stop);
  rig.engine.OnUpdateClicked();
  while (rig.engine.PreviousState() != GetParam().reached) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  stop.Raise();
  const int requests = rig.radio.Stats().requests;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  EXPECT_EQ(rig.radio.Stats().requests, requests);
  std::string words = GetParam().words;
  if (const size_t at = words.find("<file>"); at != std::string::npos) words.replace(at, 6, rig.RecoveryFile().string());
  EXPECT_EQ(rig.engine.DescribeRadio(), words);
}

INSTANTIATE_TEST_SUITE_P(
    FailurePath, StopRequested,
    ::testing::Values(
        StopCase{S::Start, "The radio was not changed."},
        StopCase{S::DownloadFlash,
                 "The radio is in its boot loader and its firmware was not changed: switch the radio off and on before "
                 "updating it again."},
        StopCase{S::CheckCompatibility,
                 "The radio is running the FLASH code at 38400 baud and its firmware was not changed: switch the radio "
                 "off and on before updating it again."},
        StopCase{S::WriteControlB,
                 "Some images were erased: the radio will not work until an update completes; its serial number 12345 "
                 "is kept in <file>."},
        StopCase{S::AwaitRestart,
                 "The radio restarted with its new firmware, but its serial number was not restored: update it again "
                 "to restore serial number 12345."}));

TEST(FailurePath, ErrorLineStaysUntilTheButtonClearsIt) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.line->SetOpenFails(true);
  ASSERT_TRUE(rig.RunUpdate());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.host.timers.PumpOnce(rig.engine, rig.clock));
  EXPECT_EQ(rig.ErrorLine(), "Error: Failed to open communications port");
  EXPECT_EQ(rig.host.beeps, 1);
  rig.engine.OnUpdateClicked();
  EXPECT_EQ(rig.ErrorLine(), "");
  EXPECT_FALSE(rig.host.Visible(kIdErrorLine));
  EXPECT_FALSE(rig.host.Visible(kIdActivityLine));
  EXPECT_TRUE(rig.host.Visible(kIdPicture));
}

}  // namespace
}  // namespace p25::testing
