// The radio's state file and the program's options: outside input, parsed without crashing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "ProgramOptions.h"
#include "RadioState.h"
#include "SimTestSupport.h"
#include "protocol/Messages.h"

namespace p25 {
namespace {

using simtest::Bench;
using simtest::kPort;
using simtest::MakeImage;

TEST(RadioStateFile, FormatAndParseKeepSerialRegionsAndEveryFlashByte) {
  auto state = std::make_unique<RadioState>();
  state->serialNumber = 4294967295u;
  state->regions = {{0x10000, 0x1000, FlashRegion::State::Signed}, {0xC0000, 0x300, FlashRegion::State::Refused},
                    {0x1FFF00, 0x100, FlashRegion::State::Unsigned}};
  const auto image = MakeImage(0x1000);
  state->flash.Erase(0x10000, 0x1000);
  state->flash.Program(0x10000, image.data(), 0x800);
  state->flash.Erase(0x1FFF00, 0x100);
  state->flash.Program(0x1FFFFF, image.data(), 1);

  auto parsed = std::make_unique<RadioState>();
  std::string error;
  ASSERT_TRUE(ParseRadioState(FormatRadioState(*state), *parsed, error)) << error;
  EXPECT_EQ(parsed->serialNumber, state->serialNumber);
  EXPECT_EQ(parsed->regions, state->regions);
  for (uint32_t a = 0; a < FlashMemory::kSize; ++a) {
    if (parsed->flash.CellAt(a) != state->flash.CellAt(a) || parsed->flash.At(a) != state->flash.At(a)) {
      ADD_FAILURE() << "flash differs at " << a;
      break;
    }
  }
}

TEST(RadioStateFile, RefusesBadFilesNamingTheLine) {
  const std::string header = "p25radio-sim state 1\n";
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {"", "empty state file"},
      {"p25radio-sim state 2\nserial 1\n", "not a simulated radio state file (line 1)"},
      {header, "no serial number in the state file"},
      {header + "serial 12x\n", "line 2: expected a decimal serial number"},
      {header + "serial 4294967296\n", "line 2: expected a decimal serial number"},
      {header + "serial 1\nregion 1FFFFF 2 signed\n", "line 3: range outside the flash"},
      {header + "serial 1\nregion 0 0 signed\n", "line 3: range outside the flash"},
      {header + "serial 1\nregion 0 10 maybe\n", "line 3: expected unsigned, signed or refused"},
      {header + "serial 1\nerased FFFFFFFF 2\n", "line 3: range outside the flash"},
      {header + "serial 1\n\ndata 10 ABC\n", "line 4: expected an even number of hexadecimal digits"},
      {header + "serial 1\ndata 10 AG\n", "line 3: bad hexadecimal digit"},
      {header + "serial 1\ndata 1FFFFF AABB\n", "line 3: range outside the flash"},
      {header + "serial 1\ndata x AABB\n", "line 3: expected a hexadecimal start address"},
      {header + "serial 1 2\n", "line 2: unexpected text at the end of the line"},
      {header + "flash 1\n", "line 2: unknown keyword"},
  };
  for (const auto& c : cases) {
    auto state = std::make_unique<RadioState>();
    std::string error;
    EXPECT_FALSE(ParseRadioState(c.text, *state, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(RadioStateFile, RadioKeepsSerialNumberAndFlashBetweenRuns) {
  const std::string path = ::testing::TempDir() + "sim-state-" + std::to_string(::getpid());
  std::filesystem::remove(path);
  const auto image = MakeImage(600);
  {
    SimulatedRadio::Options options = simtest::FlashCodeRadio();
    options.statePath = path;
    Bench bench(options);
    std::string error;
    ASSERT_TRUE(bench.radio.LoadState(error)) << error;
    ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
    ASSERT_TRUE(bench.link.SetSerialNumber(777));
    ASSERT_TRUE(bench.link.EraseFlash(0x10000, 1000));
    ASSERT_TRUE(simtest::WriteImage(bench.link, 0x10000, image));
    ASSERT_TRUE(bench.radio.SaveState(error)) << error;
  }
  SimulatedRadio::Options options;
  options.statePath = path;
  options.serialNumber = 1;
  SimulatedRadio radio(options);
  std::string error;
  ASSERT_TRUE(radio.LoadState(error)) << error;
  EXPECT_EQ(radio.SerialNumber(), 777u);
  EXPECT_EQ(radio.Flash().Read(0x10000, 600), image);
  EXPECT_TRUE(radio.Flash().IsErased(0x10000 + 600, 400));
  // The image was never signed, so the radio cannot start its firmware.
  EXPECT_EQ(radio.CurrentMode(), SimulatedRadio::Mode::BootLoader);

  std::ofstream(path) << "garbage\n";
  SimulatedRadio broken(options);
  EXPECT_FALSE(broken.LoadState(error));
  EXPECT_NE(error.find("not a simulated radio state file"), std::string::npos) << error;
  std::filesystem::remove(path);
}

TEST(SimProgramOptions, ParsesIdentityModesAndFaults) {
  ProgramOptions options;
  std::string error;
  ASSERT_TRUE(ParseProgramOptions(
      {"--link", "/tmp/radio", "--realtime", "--transcript", "t.txt", "--state", "s.txt", "--serial", "0x10",
       "--esn", "00C0ffee", "--hw-features", "2", "--start-rate", "9600", "--start-mode", "boot", "--unsigned-boot",
       "--accept-any-signature", "--reboot-time", "2500", "--noise", "5", "--corrupt-crc", "3", "--drop-request",
       "4", "--refuse-rate", "38400", "--refuse-rate", "19200", "--slow-erase", "120", "--refuse-signatures", "2",
       "--no-ok", "--lose-serial", "--swap-after-identify", "--power-loss-after", "0", "--pull-cable-after-writes",
       "7", "--pull-cable-after-seconds", "2.5", "--replug-after-seconds", "0.05"},
      options, error))
      << error;
  const SimulatedRadio::Options& radio = options.radio;
  EXPECT_EQ(options.link, "/tmp/radio");
  EXPECT_TRUE(options.realtime);
  EXPECT_EQ(options.transcript, "t.txt");
  EXPECT_EQ(radio.statePath, "s.txt");
  EXPECT_EQ(radio.serialNumber, 16u);
  EXPECT_EQ(FormatEsn(radio.esnHigh, radio.esnLow), "00C0FFEE");
  EXPECT_EQ(radio.hwFeatures, 2u);
  EXPECT_EQ(radio.startRate, 9600u);
  EXPECT_EQ(radio.startMode, SimulatedRadio::Mode::BootLoader);
  EXPECT_FALSE(radio.signedBoot);
  EXPECT_TRUE(radio.acceptAnySignature);
  EXPECT_EQ(radio.rebootMicros, 2'500'000u);
  EXPECT_EQ(radio.faults.noiseBytes, 5);
  EXPECT_EQ(radio.faults.corruptEveryNthReply, 3);
  EXPECT_EQ(radio.faults.dropEveryNthRequest, 4);
  EXPECT_EQ(radio.faults.refusedRates, (std::vector<uint32_t>{38400, 19200}));
  EXPECT_EQ(radio.faults.eraseMicros, 120'000'000u);
  EXPECT_EQ(radio.faults.refuseSignatures, 2);
  EXPECT_TRUE(radio.faults.neverSayOk);
  EXPECT_TRUE(radio.faults.loseSerialOnErase);
  EXPECT_TRUE(radio.faults.swapAfterIdentify);
  EXPECT_EQ(radio.faults.powerLossAfterWrites, 0);
  EXPECT_EQ(options.cable.pullAfterWrites, 7);
  EXPECT_EQ(options.cable.pullAfterMicros, 2'500'000u);
  EXPECT_EQ(options.cable.replugAfterMicros, 50'000u);
}

TEST(SimProgramOptions, RefusesBadOptionsWithAClearMessage) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{}, "--link PATH is required"},
      {{"--link"}, "--link needs a value"},
      {{"--link", "x", "--frob"}, "unknown option --frob"},
      {{"--link", "x", "--serial", "-1"}, "bad value for --serial: '-1' (expected a 32-bit number)"},
      {{"--link", "x", "--serial", "4294967296"}, "bad value for --serial: '4294967296' (expected a 32-bit number)"},
      {{"--link", "x", "--esn", "1234ABC"}, "bad value for --esn: '1234ABC' (expected 8 hexadecimal digits)"},
      {{"--link", "x", "--esn", "1234ABCG"}, "bad value for --esn: '1234ABCG' (expected 8 hexadecimal digits)"},
      {{"--link", "x", "--start-rate", "38400"}, "bad value for --start-rate: '38400' (expected 9600 or 19200)"},
      {{"--link", "x", "--start-mode", "sleep"},
       "bad value for --start-mode: 'sleep' (expected console, boot or flash-code)"},
      {{"--link", "x", "--corrupt-crc", "0"}, "bad value for --corrupt-crc: '0' (expected a count of 1 or more)"},
      {{"--link", "x", "--noise", "1001"}, "bad value for --noise: '1001' (expected a count up to 1000)"},
      {{"--link", "x", "--slow-erase", "1.5"}, "bad value for --slow-erase: '1.5' (expected seconds, 1 to 3600)"},
      {{"--link", ""}, "bad value for --link: '' (expected a path)"},
      {{"--link", "x", "--pull-cable-after-writes", "0"},
       "bad value for --pull-cable-after-writes: '0' (expected a count of 1 or more)"},
      {{"--link", "x", "--replug-after-seconds", "1.2345"},
       "bad value for --replug-after-seconds: '1.2345' (expected seconds, at most 86400, up to 3 decimals)"},
      {{"--link", "x", "--pull-cable-after-seconds", "86400.001"},
       "bad value for --pull-cable-after-seconds: '86400.001' (expected seconds, at most 86400, up to 3 decimals)"},
      {{"--link", "x", "--pull-cable-after-seconds", "2."},
       "bad value for --pull-cable-after-seconds: '2.' (expected seconds, at most 86400, up to 3 decimals)"},
  };
  for (const auto& c : cases) {
    ProgramOptions options;
    std::string error;
    EXPECT_FALSE(ParseProgramOptions(c.args, options, error));
    EXPECT_EQ(error, c.error);
  }
  ProgramOptions options;
  std::string error;
  EXPECT_TRUE(ParseProgramOptions({"--help"}, options, error));
  EXPECT_TRUE(options.help);
}

}  // namespace
}  // namespace p25
