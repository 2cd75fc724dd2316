// The updater's own SerialPort/RadioLink against the simulated radio, on virtual time.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "SimTestSupport.h"
#include "protocol/MessageText.h"

namespace p25 {
namespace {

using simtest::Bench;
using simtest::FlashCodeRadio;
using simtest::kPort;
using simtest::MakeImage;
using simtest::Sign;
using Mode = SimulatedRadio::Mode;

constexpr char kNegative[] = "Negative confirmation received from radio";

TEST(RadioConsole, ConnectBringsTheConsoleTo9600AndTheProbeGetsItsAnswer) {
  Bench bench;
  ASSERT_EQ(bench.radio.Rate(), 19200u);
  EXPECT_TRUE(bench.link.Connect(kPort));
  EXPECT_EQ(bench.link.LastError(), "");
  EXPECT_EQ(bench.radio.Rate(), 9600u);
  uint32_t serial = 0;
  EXPECT_TRUE(bench.link.ReadSerialNumber(serial));
  EXPECT_EQ(serial, 12345u);
}

TEST(RadioConsole, RadioAlreadyAt9600IgnoresWhatArrivesAt19200) {
  SimulatedRadio::Options options;
  options.startRate = 9600;
  Bench bench(options);
  ASSERT_TRUE(bench.link.OpenComms(kPort, 19200));
  const uint8_t cr = '\r';
  ASSERT_TRUE(bench.link.Port().Write(&cr, 1));
  bench.clock.SleepMs(500);
  std::array<uint8_t, 20> answer{};
  size_t got = 0;
  ASSERT_TRUE(bench.link.Port().Read(answer.data(), answer.size(), got));
  EXPECT_EQ(got, 0u);

  EXPECT_TRUE(bench.link.Connect(kPort));
  EXPECT_EQ(bench.link.LastError(), "");
  EXPECT_EQ(bench.radio.Rate(), 9600u);
}

TEST(RadioConsole, RadioInItsBootLoaderHasNoConsoleButAnswersFrames) {
  SimulatedRadio::Options options;
  options.startMode = Mode::BootLoader;
  Bench bench(options);
  EXPECT_TRUE(bench.link.Connect(kPort));
  EXPECT_EQ(bench.link.LastError(), "Failed to Comm with Radio");
  uint32_t serial = 0;
  EXPECT_TRUE(bench.link.ReadSerialNumber(serial));
  EXPECT_EQ(serial, 12345u);
}

struct IdentityCase {
  uint32_t serial;
  uint32_t esnHigh;
  uint32_t esnLow;
  uint32_t hwFeatures;
  const char* esnText;
};

TEST(RadioIdentity, AnswersSerialNumberEsnAndHwFeatures) {
  const IdentityCase cases[] = {
      {17, 0x1234, 0xABCD, 1, "1234ABCD"},
      {0, 0, 0, 0, "00000000"},
      {0xFFFFFFFF, 0x12345, 0x1, 2, "123450001"},
  };
  for (const IdentityCase& c : cases) {
    SimulatedRadio::Options options;
    options.serialNumber = c.serial;
    options.esnHigh = c.esnHigh;
    options.esnLow = c.esnLow;
    options.hwFeatures = c.hwFeatures;
    Bench bench(options);
    ASSERT_TRUE(bench.link.Connect(kPort));
    uint32_t serial = 1, features = 7;
    std::string esn;
    EXPECT_TRUE(bench.link.ReadSerialNumber(serial));
    EXPECT_TRUE(bench.link.ReadEsn(esn));
    EXPECT_TRUE(bench.link.ReadHwFeatures(features));
    EXPECT_EQ(serial, c.serial);
    EXPECT_EQ(esn, c.esnText);
    EXPECT_EQ(features, c.hwFeatures);
  }
}

// The radio's side of the protocol's byte vectors, as it puts them on the line.
TEST(RadioWire, RepliesMatchTheProtocolsByteVectors) {
  SimulatedRadio::Options options = FlashCodeRadio();
  options.serialNumber = 17;
  Bench bench(options);
  std::vector<std::string> sent;
  bench.radio.SetObserver([&](const SimulatedRadio::TraceEvent& e) {
    if (e.fromRadio) sent.push_back(HexBytes(e.bytes));
  });
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  uint32_t serial = 0;
  ASSERT_TRUE(bench.link.ReadSerialNumber(serial));
  ASSERT_TRUE(bench.link.EraseFlash(0x100000, 0x30000));
  const std::vector<std::string> expected = {
      "DB FF FF BC",                       // acknowledgement
      "DB 1D 16 04 00 00 00 11 3E FD BC",  // QueryResponse, serial number 17
      "DB FF FF BC",
      "DB 17 14 00 F6 BB BC",              // Notice while erasing
      "DB 17 12 00 5C 1D BC",              // Confirm when done
  };
  EXPECT_EQ(sent, expected);
}

TEST(RadioBoot, RunsSignedFlashCodeThenChangesRateAfterTheAcknowledgement) {
  Bench bench;
  ASSERT_TRUE(bench.link.Connect(kPort));
  const auto code = MakeImage(1000);
  ASSERT_TRUE(simtest::BootIntoFlashCode(bench.link, code));
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::FlashCode);
  EXPECT_EQ(bench.radio.BootCode(), code);

  ASSERT_TRUE(bench.link.ChangeBaudRate(38400));
  EXPECT_EQ(bench.radio.Rate(), 38400u);
  uint32_t features = 0;
  EXPECT_FALSE(bench.link.ReadHwFeatures(features)) << "the port is still at 9600";
  ASSERT_TRUE(bench.link.CloseComms());
  ASSERT_TRUE(bench.link.OpenComms(kPort, 38400));
  EXPECT_TRUE(bench.link.ReadHwFeatures(features));
  EXPECT_EQ(features, 1u);
}

TEST(RadioBoot, KeepsTheBootLoaderWhenTheFlashCodeIsIncompleteOrUnsigned) {
  const auto code = MakeImage(1000);
  const auto signature = Sign(0x200000, code);
  auto wrong = signature;
  wrong[5] ^= 1;
  struct Case {
    const char* what;
    int skipBlock;
    const placeholder::Signature* sent;
    bool signatureAccepted;
  } cases[] = {
      {"no signature", -1, nullptr, false},
      {"wrong signature", -1, &wrong, false},
      {"block missing", 2, &signature, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimulatedRadio::Options options;
    options.startMode = Mode::BootLoader;
    Bench bench(options);
    ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
    ASSERT_TRUE(bench.link.ConfirmedReboot());
    simtest::SendBlocks(0x200000, code,
                        [&](uint32_t a, int n, const uint8_t* d) { return bench.link.DownloadBootCode(a, n, d); },
                        c.skipBlock);
    if (c.sent != nullptr) {
      EXPECT_EQ(bench.link.SendSignature(20, c.sent->data()), c.signatureAccepted);
      EXPECT_EQ(bench.link.LastError(), kNegative);
    }
    EXPECT_TRUE(bench.link.ExecuteBootCode(0x200000)) << "a notice is only acknowledged";
    EXPECT_EQ(bench.radio.CurrentMode(), Mode::BootLoader);
    EXPECT_FALSE(bench.link.ChangeBaudRate(38400));
    EXPECT_EQ(bench.link.LastError(), kNegative);
  }
}

TEST(RadioBoot, BootLoaderWithoutSignatureCheckRefusesConfirmedRebootSilently) {
  SimulatedRadio::Options options;
  options.startMode = Mode::BootLoader;
  options.signedBoot = false;
  Bench bench(options);
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  EXPECT_FALSE(bench.link.ConfirmedReboot());
  EXPECT_EQ(bench.link.LastError(), "");
  ASSERT_TRUE(simtest::BootIntoFlashCode(bench.link, MakeImage(300)));
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::FlashCode);
}

TEST(RadioBoot, RejectsCommandsOutOfPlace) {
  Bench bench;
  ASSERT_TRUE(bench.link.Connect(kPort));
  const uint8_t data[4] = {1, 2, 3, 4};
  EXPECT_FALSE(bench.link.DownloadBootCode(0x200000, 4, data)) << "console: no boot loader";
  EXPECT_FALSE(bench.link.ConfirmedReboot());
  EXPECT_FALSE(bench.link.EraseFlash(0x10000, 0x1000));
  EXPECT_FALSE(bench.link.ChangeBaudRate(38400));
  EXPECT_EQ(bench.link.LastError(), kNegative);

  ASSERT_TRUE(bench.link.EnterBootMode());
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::BootLoader);
  EXPECT_FALSE(bench.link.WriteFlash(0x10000, 4, data)) << "boot loader: no flash writes";
  EXPECT_FALSE(bench.link.SetSerialNumber(1));
  EXPECT_TRUE(bench.link.DownloadBootCode(0x200000, 4, data));
  EXPECT_FALSE(bench.link.DownloadBootCode(0x200008, 4, data)) << "blocks must follow on";
  EXPECT_FALSE(bench.link.DownloadBootCode(0x100000, 4, data)) << "outside the boot RAM";
}

TEST(RadioFlash, EraseKeepsTheExchangeAliveWithNoticesUntilItIsDone) {
  Bench bench(FlashCodeRadio());
  int notices = 0;
  bench.radio.SetObserver([&](const SimulatedRadio::TraceEvent& e) {
    if (e.fromRadio && e.text.rfind("EraseFlash Notice", 0) == 0) ++notices;
  });
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  const uint64_t start = bench.clock.ElapsedMicros();
  ASSERT_TRUE(bench.link.EraseFlash(0x100000, 536576));
  EXPECT_GE(bench.clock.ElapsedMicros() - start, 9 * SimulatedRadio::kSectorEraseMicros);
  EXPECT_EQ(notices, 3);
  EXPECT_TRUE(bench.radio.Flash().IsErased(0x100000, 536576));
  EXPECT_EQ(bench.radio.Flash().CellAt(0x100000 + 536576), FlashMemory::Cell::Factory);
}

TEST(RadioFlash, WritesOnlyIntoErasedFlash) {
  Bench bench(FlashCodeRadio());
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  const auto image = MakeImage(1000);
  EXPECT_FALSE(bench.link.WriteFlash(0x10000, 246, image.data())) << "factory content is not erased";
  EXPECT_EQ(bench.link.LastError(), kNegative);

  ASSERT_TRUE(bench.link.EraseFlash(0x10000, 1000));
  ASSERT_TRUE(simtest::WriteImage(bench.link, 0x10000, image));
  EXPECT_EQ(bench.radio.Flash().Read(0x10000, 1000), image);
  EXPECT_FALSE(bench.link.WriteFlash(0x10000, 246, image.data())) << "already written";
  EXPECT_FALSE(bench.link.WriteFlash(0x10000 + 900, 246, image.data())) << "runs past the erased range";
  EXPECT_EQ(bench.radio.Stats().writes, 5);
  EXPECT_EQ(bench.radio.Stats().rejectedWrites, 3);
}

TEST(RadioFlash, ChecksTheImageSignatureOverExactlyWhatWasWritten) {
  const auto image = MakeImage(2000, 7);
  auto wrong = Sign(0x10000, image);
  wrong[19] ^= 0x80;
  struct Case {
    const char* what;
    int skipBlock;
    bool useWrong;
    bool acceptAny;
    bool accepted;
  } cases[] = {
      {"as written", -1, false, false, true},
      {"wrong signature", -1, true, false, false},
      {"block missing", 3, false, false, false},
      {"any signature accepted", -1, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimulatedRadio::Options options = FlashCodeRadio();
    options.acceptAnySignature = c.acceptAny;
    Bench bench(options);
    ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
    ASSERT_TRUE(bench.link.EraseFlash(0x10000, 2000));
    ASSERT_TRUE(simtest::WriteImage(bench.link, 0x10000, image, c.skipBlock));
    const auto signature = c.useWrong ? wrong : Sign(0x10000, image);
    EXPECT_EQ(bench.link.SendSignature(20, signature.data()), c.accepted);
    ASSERT_NE(bench.radio.RegionAt(0x10000), nullptr);
    EXPECT_EQ(bench.radio.RegionAt(0x10000)->state,
              c.accepted ? FlashRegion::State::Signed : FlashRegion::State::Refused);
    EXPECT_EQ(bench.radio.FirmwareValid(), c.accepted);
  }
}

TEST(RadioReboot, GoesSilentThenSaysOkAt9600AndTakesItsSerialNumberBack) {
  Bench bench(FlashCodeRadio());
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  ASSERT_TRUE(bench.link.ChangeBaudRate(38400));
  ASSERT_TRUE(bench.link.OpenComms(kPort, 38400));
  const uint64_t rebootAt = bench.clock.ElapsedMicros();
  ASSERT_TRUE(bench.link.Reboot());
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::Rebooting);
  bench.link.CloseComms();
  bench.clock.SleepMs(2000);
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  bool ok = false;
  while (!ok && bench.clock.ElapsedMicros() - rebootAt < 90'000'000) {
    ok = bench.link.PollForOk();
    if (!ok) bench.clock.SleepMs(50);
  }
  ASSERT_TRUE(ok);
  EXPECT_GE(bench.clock.ElapsedMicros() - rebootAt, bench.radio.GetOptions().rebootMicros);
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::Console);
  EXPECT_EQ(bench.radio.Rate(), 9600u);

  std::string esn;
  uint32_t serial = 0;
  EXPECT_TRUE(bench.link.ReadEsn(esn));
  EXPECT_TRUE(bench.link.SetSerialNumber(4711));
  EXPECT_TRUE(bench.link.ReadSerialNumber(serial));
  EXPECT_EQ(serial, 4711u);
  EXPECT_EQ(bench.radio.SerialNumber(), 4711u);
}

TEST(RadioReboot, RadioWithIncompleteFirmwareComesBackInItsBootLoaderWithoutOk) {
  Bench bench(FlashCodeRadio());
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  ASSERT_TRUE(bench.link.EraseFlash(0x10000, 0x1000));
  ASSERT_TRUE(bench.link.Reboot());
  bench.clock.SleepMs(10'000);
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::BootLoader);
  EXPECT_FALSE(bench.link.PollForOk());
}

TEST(SimulatedLineTest, PortAtAnotherRateThanTheRadioGetsNothingThrough) {
  Bench bench(FlashCodeRadio());
  ASSERT_TRUE(bench.link.OpenComms(kPort, 19200));
  uint32_t serial = 0;
  EXPECT_FALSE(bench.link.ReadSerialNumber(serial));
  EXPECT_EQ(bench.link.LastError(), "Failed to receive frame from radio");
  EXPECT_EQ(bench.radio.Stats().requests, 0);
}

TEST(SimulatedLineTest, WritesTakeLineTimeAndWaitsEndWhenTheAnswerIsIn) {
  Bench bench(FlashCodeRadio());
  ASSERT_TRUE(bench.link.OpenComms(kPort, 9600));
  const uint8_t request[] = {0xDB, 0x1D, 0x15, 0x00, 0x02, 0x4B, 0xBC};
  const uint64_t start = bench.clock.ElapsedMicros();
  ASSERT_TRUE(bench.link.Port().Write(request, sizeof request));
  EXPECT_EQ(bench.clock.ElapsedMicros() - start, 7 * ByteMicros(9600));

  bench.link.Port().StartTimer(500);
  Level2Frame ack;
  const uint64_t waitStart = bench.clock.ElapsedMicros();
  ASSERT_TRUE(bench.link.Port().ReceiveFrame(ack));
  // The acknowledgement is four bytes after a short turnaround, far less than one 10 ms tick.
  EXPECT_LT(bench.clock.ElapsedMicros() - waitStart, 6 * ByteMicros(9600));
}

TEST(SimulatedLineTest, PortFaultsGiveTheUpdatersOpenAndConfigureErrors) {
  Bench bench;
  bench.Line().SetOpenFails(true);
  EXPECT_FALSE(bench.link.OpenComms(kPort, 9600));
  EXPECT_EQ(bench.link.LastError(), "Failed to open communications port");
  bench.Line().SetOpenFails(false);
  bench.Line().RefuseRate(38400);
  EXPECT_FALSE(bench.link.OpenComms(kPort, 38400));
  EXPECT_EQ(bench.link.LastError(), "Failed to configure communications port");
  EXPECT_FALSE(bench.link.Port().IsOpen());
}

}  // namespace
}  // namespace p25
