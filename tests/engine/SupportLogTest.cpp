// The support log of whole updates against the simulated radio: what support needs to know is in it,
// the trace holds the very frames the radio saw, and a log that cannot be written changes nothing
// but one notice.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "EngineRig.h"
#include "engine/SupportLog.h"
#include "platform/FileSystem.h"
#include "platform/LogFolder.h"
#include "protocol/MessageText.h"

namespace p25::testing {
namespace {

const std::vector<uint8_t> kWriteFlash = {0xDB, 0x18, 0x11};

// Runs a whole update with the log on; the log's text, or empty when there is none.
std::string LoggedUpdate(EngineRig& rig, SupportLogOptions options = {}, std::string* path = nullptr) {
  if (options.file.empty() && options.folder.empty()) options.folder = (rig.folder / "logs").string();
  options.notice = [&rig](const std::string& text) { rig.host.ShowMessage(text); };
  SupportLog log(rig.clock, options);
  log.Attach(rig.link, rig.engine);
  EXPECT_TRUE(rig.RunUpdate());
  log.Close();
  if (path != nullptr) *path = log.Path();
  std::string text;
  if (!log.Failed()) ReadWholeFile(log.Path(), text);
  return text;
}

struct LogCase {
  const char* name;
  std::function<void(SimulatedRadio::Options&)> radio;
  std::function<void(EngineRig&)> line;
  std::vector<std::string> lines;  // each found in the log
};

void PrintTo(const LogCase& c, std::ostream* out) { *out << c.name; }

class SupportLogOf : public ::testing::TestWithParam<LogCase> {};

TEST_P(SupportLogOf, HoldsIdentityStatesRequestsAndOutcome) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  if (GetParam().radio) GetParam().radio(options);
  EngineRig rig(options, &firmware);
  if (GetParam().line) GetParam().line(rig);
  std::string path;
  const std::string log = LoggedUpdate(rig, {}, &path);
  EXPECT_TRUE(path.ends_with("-1234ABCD.log")) << path;
  EXPECT_TRUE(std::regex_search(log, std::regex(R"(\nStarted    \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d\n)")));
  for (const std::string& line : {std::string("Port       COM1 (device \\\\.\\COM1)"), std::string("Rate       38400 chosen"),
                                  std::string("ReadSerialNumber Query: ok, serial number 12345"),
                                  std::string("ReadEsn Query: ok, ESN 1234ABCD"), std::string("state BootMode"),
                                  "recovery file " + rig.engine.RecoveryPath() + ": record of serial number 12345 appended"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  for (const std::string& line : GetParam().lines) EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  EXPECT_EQ(rig.host.notices, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Engine, SupportLogOf,
    ::testing::Values(
        LogCase{"Completed503", nullptr, nullptr,
                {"HW features 0x00000001, family 503+", "      0  state Start\n", "state SignDsp",
                 "WriteFlash Command 0x10000 246 bytes: ok (", "serial number 12345 written back into the radio",
                 "removed: the radio holds its serial number again", "\nOutcome    completed after ",
                 "Radio      serial number 12345, ESN 1234ABCD, HW features 0x00000001, family 503+"}},
        LogCase{"Completed501", [](auto& o) { o.hwFeatures = 2; }, nullptr,
                {"HW features 0x00000002, family 501", "state WriteDsp501", "\nOutcome    completed after "}},
        LogCase{"RateFallback", [](auto& o) { o.faults.refusedRates = {38400}; }, nullptr,
                {"ChangeBaudRate Command 38400: failed, link error 5: Negative confirmation received from radio",
                 "ChangeBaudRate Command 19200: ok", "open \\\\.\\COM1 at 19200 baud: ok",
                 "Rates      chosen 38400, at the end 19200; asked the radio for 38400 (refused), 19200 (accepted)"}},
        LogCase{"RefusedSignature", [](auto& o) { o.faults.refuseSignatures = 10; }, nullptr,
                {"SendSignature Command: failed, link error 5: Negative confirmation received from radio, retry 9 (",
                 "\nOutcome    failed in SignFlash after ", "Flash Image Authentication Failure", " is kept\n",
                 "Radio now  The radio is in its boot loader"}},
        LogCase{"BlockSentAgain", nullptr, [](EngineRig& rig) { rig.tap->Lose(kWriteFlash, 6, 4); },
                {"failed, link error 3: Failed to receive frame from radio, sent 3 times (", ": ok, retry 2 ("}},
        LogCase{"PulledCable", nullptr, [](EngineRig& rig) { rig.tap->PullAfter(kWriteFlash, 5, rig.clock); },
                {"system code 5: " + SystemErrorText(LineTap::kGone), "\nOutcome    failed in WriteControlB after "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SupportLog, TraceHoldsTheFramesTheRadioSawDecoded) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  std::vector<std::string> heard;
  rig.radio.SetObserver([&heard](const SimulatedRadio::TraceEvent& e) {
    if (!e.fromRadio && !e.bytes.empty() && e.bytes[0] == kStartByte)
      heard.push_back(HexBytes(e.bytes) + "  " + (e.text == "ack" ? "ack" : e.text));
  });
  SupportLogOptions options;
  options.trace = true;
  std::istringstream log(LoggedUpdate(rig, options));
  std::vector<std::string> traced;
  for (std::string line; std::getline(log, line);)
    if (const size_t at = line.find(" -> "); at != std::string::npos && line.find("  DB ", at) != std::string::npos)
      traced.push_back(line.substr(line.find("  DB ", at) + 2));
  EXPECT_GT(heard.size(), 50u);
  EXPECT_EQ(traced, heard);
}

TEST(SupportLog, OldestLogsBeyondFiftyGoAndOtherFilesStay) {
  SmallFirmware firmware;
  EngineRig rig(RadioOptions(), &firmware);
  const auto folder = rig.folder / "logs";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < 55; ++i) {
    const auto old = folder / ("20200101T0000" + std::to_string(10 + i) + ".log");
    std::ofstream(old) << "old";
    std::filesystem::last_write_time(old, std::filesystem::file_time_type::clock::now() - std::chrono::hours(100 - i));
  }
  std::ofstream(folder / "notes.txt") << "mine";
  LoggedUpdate(rig);
  int logs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) logs += IsUpdateLogName(entry.path().filename().string());
  EXPECT_EQ(logs, 50);
  EXPECT_FALSE(std::filesystem::exists(folder / "20200101T000010.log"));
  EXPECT_TRUE(std::filesystem::exists(folder / "20200101T000064.log"));
  EXPECT_TRUE(std::filesystem::exists(folder / "notes.txt"));
}

// Where the log cannot go: a folder that cannot be made, and a disk that is full.
class UnwritableLog : public ::testing::TestWithParam<const char*> {};

TEST_P(UnwritableLog, ChangesNothingButOneNotice) {
  SmallFirmware firmware;
  auto options = RadioOptions();
  options.faults.refuseSignatures = 3;
  EngineRig plain(options, &firmware);
  ASSERT_TRUE(plain.RunUpdate());
  EngineRig logged(options, &firmware);
  std::ofstream(logged.folder / "file") << "not a folder";
  SupportLogOptions log;
  log.trace = true;
  if (std::string(GetParam()) == "folder") log.folder = (logged.folder / "file" / "logs").string();
  else log.file = GetParam();
  LoggedUpdate(logged, log);
  EXPECT_EQ(logged.states, plain.states);
  EXPECT_EQ(logged.ErrorLine(), plain.ErrorLine());
  EXPECT_EQ(logged.engine.Values().ActivityText, plain.engine.Values().ActivityText);
  EXPECT_EQ(logged.radio.Stats().requests, plain.radio.Stats().requests);
  EXPECT_EQ(logged.clock.ElapsedMicros(), plain.clock.ElapsedMicros());
  ASSERT_EQ(logged.host.notices.size(), plain.host.notices.size() + 1);
  EXPECT_NE(logged.host.notices.back().find("The support log could not be written ("), std::string::npos);
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Engine, UnwritableLog, ::testing::Values("folder"));
#else
INSTANTIATE_TEST_SUITE_P(Engine, UnwritableLog, ::testing::Values("folder", "/dev/full"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Folder" : "DiskFull"); });
#endif

}  // namespace
}  // namespace p25::testing
