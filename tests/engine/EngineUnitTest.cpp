// The engine's arithmetic and bookkeeping: estimate texts, percentages, the recovery file's records
// and the dispatcher's handling of states that do not exist.
#include <gtest/gtest.h>

#include <cctype>
#include <iterator>

#include "EngineRig.h"
#include "support/EngineTestAccess.h"
#include "engine/RecoveryFile.h"

namespace p25::testing {
namespace {

struct EstimateCase {
  int64_t elapsedSeconds;
  int64_t done;
  int64_t remaining;
  const char* text;
};

class Estimate : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(Estimate, FormatsMinutesAndSecondsWithTheirSingularForms) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  UpdateProgress progress;
  progress.familyBytesDone = GetParam().done;
  progress.familyBytesRemaining = GetParam().remaining;
  progress.bytesRemaining = GetParam().remaining;
  rig.engine.UpdateEstimate(GetParam().elapsedSeconds, progress);
  EXPECT_EQ(rig.engine.Values().TimeRemainingText, GetParam().text);
  EXPECT_EQ(rig.engine.Values().BytesRemainingText, std::to_string(GetParam().remaining));
}

INSTANTIATE_TEST_SUITE_P(Engine, Estimate,
                         ::testing::Values(EstimateCase{10, 10000, 120000, "2 mins  0 sec"},
                                           EstimateCase{13, 10000, 50000, "1 min  5 secs"},
                                           EstimateCase{61, 10000, 10000, "1 min  1 sec"},
                                           EstimateCase{1, 10000, 0, "0 min  0 sec"},
                                           EstimateCase{10, 5000, 120000, ""},
                                           EstimateCase{0, 10000, 120000, ""},
                                           EstimateCase{10, 5001, 5001, "0 min  10 secs"},
                                           // Beyond what 32 bits hold: 5000 s elapsed on a slow line.
                                           EstimateCase{5000, 6000, 1000000, "13888 mins  53 secs"}));

TEST(Progress, FullSizeFamiliesSumToTheirTotals) {
  EngineRig rig;
  UpdateProgress progress = rig.engine.ComputeProgress();
  EXPECT_EQ(progress.bytesRemaining, 760500);
  EXPECT_EQ(progress.percent, 0);
  EngineTestAccess::SetFamily501(rig.engine, true);
  progress = rig.engine.ComputeProgress();
  EXPECT_EQ(progress.bytesRemaining, 638876);
  EXPECT_EQ(progress.familyBytesDone, 0);
}

TEST(RecoveryRecord, ReadsBackExactlyWhatWasWrittenIncludingZero) {
  for (int32_t serial : {0, 1, 12345, -7, 2147483647}) {
    EXPECT_EQ(FirstRecoveryRecord(FormatRecoveryRecord(serial)), serial);
  }
}

TEST(RecoveryRecord, FirstCompleteRecordWinsAndTornOnesAreSkipped) {
  const std::string first = FormatRecoveryRecord(12345);
  const std::string later = FormatRecoveryRecord(0);
  EXPECT_EQ(FirstRecoveryRecord(first + later), 12345);
  // A record cut short by a crash, with a later attempt's record appended after it.
  EXPECT_EQ(FirstRecoveryRecord(first.substr(0, 9) + later), 0);
  EXPECT_EQ(FirstRecoveryRecord(first.substr(0, first.size() - 1)), std::nullopt);
  EXPECT_EQ(FirstRecoveryRecord(""), std::nullopt);
  std::string damaged = first;
  damaged[7] = '9';
  EXPECT_EQ(FirstRecoveryRecord(damaged + later), 0);
  EXPECT_EQ(FirstRecoveryRecord("P25SN 12345 ZZZZ\n"), std::nullopt);
}

TEST(Dispatcher, StateThatNamesNothingFailsInTheSameTick) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  EngineTestAccess::SetCurrentState(rig.engine, static_cast<UpdateState>(kLastUpdateState + 1));
  rig.engine.Tick();
  EXPECT_EQ(rig.engine.PreviousState(), UpdateState::Failed);
  EXPECT_EQ(rig.engine.CurrentState(), UpdateState::Finished);
  EXPECT_EQ(rig.ErrorLine(), "Error: Invalid next state detected");
}

TEST(Dispatcher, StateChangePausesThreeSecondsButStayingDoesNot) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  const uint64_t before = rig.clock.ElapsedMs();
  rig.engine.Tick();  // enters Start
  EXPECT_EQ(rig.clock.ElapsedMs() - before, 3000u);
  EngineTestAccess::SetStates(rig.engine, UpdateState::Finished, UpdateState::Finished);
  const uint64_t resting = rig.clock.ElapsedMs();
  rig.engine.Tick();
  EXPECT_EQ(rig.clock.ElapsedMs(), resting);
}

// What entering each state puts on the activity line (nullptr: it keeps what was there) and which of
// the overall bar, the image bar, the time readout and the bytes readout it shows (upper case) or
// hides (lower case).
struct EntryCase {
  UpdateState state;
  const char* text;
  const char* readouts;
};

constexpr char kInit[] = "Initializing transfer";
constexpr char kEraseControl[] = "Erasing CONTROL code in radio";
constexpr char kEraseDsp[] = "Erasing DSP code in radio";
constexpr char kWriteDsp[] = "Downloading DSP code to radio";

using S = UpdateState;
const EntryCase kEntries[] = {
    {S::Start, " ", ""},
    {S::PrepareImages, kInit, ""},
    {S::Identify, kInit, ""},
    {S::SaveRecovery, kInit, ""},
    {S::CheckSerial, kInit, ""},
    {S::BootMode, "Instructing radio to enter FLASH mode", "OSB"},
    {S::DownloadFlash, "Downloading FLASH code to radio", ""},
    {S::SignFlash, nullptr, ""},
    {S::ExecuteFlash, "Instructing radio to execute FLASH code", ""},
    {S::SetBaudRate, "Sending baud rate to radio", "T"},
    {S::CheckCompatibility, "Checking target for compatibility", ""},
    {S::EraseControlA, kEraseControl, ""},
    {S::EraseControlB, kEraseControl, ""},
    {S::EraseControl, kEraseControl, ""},
    {S::WriteControlA, "Downloading CONTROL code block 1 to radio", ""},
    {S::SignControlA, nullptr, ""},
    {S::WriteControlB, "Downloading CONTROL code block 2 to radio", ""},
    {S::SignControlB, nullptr, ""},
    {S::WriteControl, "Downloading CONTROL code to radio", ""},
    {S::SignControl, nullptr, ""},
    {S::EraseDsp, kEraseDsp, ""},
    {S::EraseDsp501, kEraseDsp, ""},
    {S::WriteDsp, kWriteDsp, ""},
    {S::SignDsp, nullptr, ""},
    {S::WriteDsp501, kWriteDsp, ""},
    {S::SignDsp501, nullptr, ""},
    {S::RebootRadio, "Instructing radio to reboot", ""},
    {S::AwaitRestart, "Completing Update", "s"},
    {S::RestoreSerial, nullptr, ""},
    {S::Complete, nullptr, ""},
    {S::Failed, nullptr, "st"},  // the error line takes their place
    {S::Finished, nullptr, ""},
};

TEST(Dispatcher, EveryStateEntersWithItsActivityTextAndReadouts) {
  static_assert(std::size(kEntries) == kLastUpdateState - kFirstUpdateState + 1);
  const std::pair<char, int> readouts[] = {
      {'O', kIdOverallProgress}, {'S', kIdStepProgress}, {'T', kIdTimeValue}, {'B', kIdBytesValue}};
  for (const EntryCase& entry : kEntries) {
    SCOPED_TRACE(UpdateStateName(entry.state));
    for (bool shownBefore : {false, true}) {
      SmallFirmware firmware;
      EngineRig rig(RadioOptions(), &firmware);
      rig.engine.OnUpdateClicked();
      for (auto [letter, id] : readouts) rig.host.ShowControl(id, shownBefore);
      rig.engine.Values().ActivityText = "(before)";
      rig.host.activities.clear();
      EngineTestAccess::SetStates(rig.engine, entry.state, static_cast<S>(0));
      rig.engine.Tick();
      ASSERT_FALSE(rig.host.activities.empty());
      EXPECT_EQ(rig.host.activities.front(), entry.text != nullptr ? entry.text : "(before)");
      std::string changed, expected;
      for (auto [letter, id] : readouts)
        if (rig.host.Visible(id) != shownBefore) changed += shownBefore ? static_cast<char>(letter | 0x20) : letter;
      for (const char* c = entry.readouts; *c != 0; ++c)
        if ((std::islower(*c) != 0) == shownBefore) expected += *c;
      EXPECT_EQ(changed, expected) << (shownBefore ? "hidden" : "shown");
    }
  }
}

TEST(Dispatcher, WatchdogOutsideTheRebootWaitIsIgnored) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  rig.engine.OnUpdateClicked();
  rig.engine.Tick();
  rig.engine.OnTimer(kRebootWatchdogTimer);
  EXPECT_EQ(rig.engine.CurrentState(), UpdateState::PrepareImages);
  EXPECT_EQ(rig.engine.Values().ErrorDetail, "");
}

}  // namespace
}  // namespace p25::testing
