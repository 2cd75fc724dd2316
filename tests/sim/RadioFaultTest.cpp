// Each fault of the simulated radio, and what the updater's link makes of it.
#include <gtest/gtest.h>

#include <string>

#include "SimTestSupport.h"

namespace p25 {
namespace {

using simtest::Bench;
using simtest::FlashCodeRadio;
using simtest::kPort;
using simtest::MakeImage;
using simtest::Sign;
using Mode = SimulatedRadio::Mode;

constexpr char kNegative[] = "Negative confirmation received from radio";
constexpr char kNoFrame[] = "Failed to receive frame from radio";

void OpenBench(Bench& bench) { EXPECT_TRUE(bench.link.OpenComms(kPort, 9600)); }

// Faults the link rides out: its own resends and the radio's cover them.
TEST(RadioFaults, LinkRecoversFromNoiseCorruptedRepliesAndLostRequests) {
  struct Case {
    const char* what;
    void (*set)(SimulatedRadio::Faults&);
  } cases[] = {
      {"noise", [](SimulatedRadio::Faults& f) { f.noiseBytes = 40; }},
      {"every 2nd reply corrupted", [](SimulatedRadio::Faults& f) { f.corruptEveryNthReply = 2; }},
      {"every 2nd request lost", [](SimulatedRadio::Faults& f) { f.dropEveryNthRequest = 2; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimulatedRadio::Options options = FlashCodeRadio();
    c.set(options.faults);
    Bench bench(options);
    OpenBench(bench);
    const auto image = MakeImage(1500);
    uint32_t serial = 0;
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(bench.link.ReadSerialNumber(serial));
      EXPECT_EQ(serial, 12345u);
    }
    ASSERT_TRUE(bench.link.EraseFlash(0x10000, 1500));
    ASSERT_TRUE(simtest::WriteImage(bench.link, 0x10000, image));
    const auto signature = Sign(0x10000, image);
    EXPECT_TRUE(bench.link.SendSignature(20, signature.data()));
    EXPECT_EQ(bench.radio.Flash().Read(0x10000, 1500), image);
  }
}

TEST(RadioFaults, EveryReplyCorruptedOrEveryRequestLostFailsTheCommand) {
  for (int which = 0; which < 2; ++which) {
    SimulatedRadio::Options options = FlashCodeRadio();
    (which == 0 ? options.faults.corruptEveryNthReply : options.faults.dropEveryNthRequest) = 1;
    Bench bench(options);
    OpenBench(bench);
    uint32_t serial = 99;
    EXPECT_FALSE(bench.link.ReadSerialNumber(serial));
    EXPECT_EQ(bench.link.LastError(), kNoFrame);
    EXPECT_EQ(serial, 99u);
    if (which == 0) {
      EXPECT_EQ(bench.radio.Stats().resends, SimulatedRadio::kResends) << "resent, never acknowledged";
    }
  }
}

TEST(RadioFaults, RefusedRateIsRejectedAndALowerOneAccepted) {
  SimulatedRadio::Options options = FlashCodeRadio();
  options.faults.refusedRates = {38400};
  Bench bench(options);
  OpenBench(bench);
  EXPECT_FALSE(bench.link.ChangeBaudRate(38400));
  EXPECT_EQ(bench.link.LastError(), kNegative);
  EXPECT_EQ(bench.radio.Rate(), 9600u);
  EXPECT_TRUE(bench.link.ChangeBaudRate(19200));
  EXPECT_EQ(bench.radio.Rate(), 19200u);
}

TEST(RadioFaults, SlowEraseKeepsSendingNoticesForItsWholeTime) {
  SimulatedRadio::Options options = FlashCodeRadio();
  options.faults.eraseMicros = 120'000'000;
  Bench bench(options);
  OpenBench(bench);
  const uint64_t start = bench.clock.ElapsedMicros();
  EXPECT_TRUE(bench.link.EraseFlash(0x10000, 0x1000));
  EXPECT_GE(bench.clock.ElapsedMicros() - start, 120'000'000u);
  EXPECT_GE(bench.radio.Stats().notices, 100);
}

TEST(RadioFaults, FirstSignaturesAreRefusedWhateverWasSent) {
  SimulatedRadio::Options options = FlashCodeRadio();
  options.faults.refuseSignatures = 2;
  Bench bench(options);
  OpenBench(bench);
  const auto image = MakeImage(500);
  ASSERT_TRUE(bench.link.EraseFlash(0x10000, 500));
  ASSERT_TRUE(simtest::WriteImage(bench.link, 0x10000, image));
  const auto signature = Sign(0x10000, image);
  EXPECT_FALSE(bench.link.SendSignature(20, signature.data()));
  EXPECT_EQ(bench.link.LastError(), kNegative);
  EXPECT_FALSE(bench.link.SendSignature(20, signature.data()));
  EXPECT_TRUE(bench.link.SendSignature(20, signature.data()));
}

TEST(RadioFaults, RadioThatNeverSaysOkAfterAReboot) {
  SimulatedRadio::Options options = FlashCodeRadio();
  options.faults.neverSayOk = true;
  Bench bench(options);
  OpenBench(bench);
  ASSERT_TRUE(bench.link.Reboot());
  bool ok = false;
  for (int i = 0; i < 1800 && !ok; ++i) {
    ok = bench.link.PollForOk();
    bench.clock.SleepMs(50);
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::Console);
}

TEST(RadioFaults, SerialNumberIsLostOnceFlashIsErased) {
  SimulatedRadio::Options options = FlashCodeRadio();
  options.faults.loseSerialOnErase = true;
  Bench bench(options);
  OpenBench(bench);
  uint32_t serial = 0;
  ASSERT_TRUE(bench.link.ReadSerialNumber(serial));
  EXPECT_EQ(serial, 12345u);
  ASSERT_TRUE(bench.link.EraseFlash(0x10000, 0x1000));
  ASSERT_TRUE(bench.link.ReadSerialNumber(serial));
  EXPECT_EQ(serial, 0u);
}

TEST(RadioFaults, DifferentRadioAnswersAfterIdentification) {
  SimulatedRadio::Options options;
  options.faults.swapAfterIdentify = true;
  Bench bench(options);
  ASSERT_TRUE(bench.link.Connect(kPort));
  uint32_t serial = 0;
  std::string esn, laterEsn;
  ASSERT_TRUE(bench.link.ReadSerialNumber(serial));
  ASSERT_TRUE(bench.link.ReadEsn(esn));
  EXPECT_EQ(serial, 12345u);
  EXPECT_EQ(esn, "1234ABCD");
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(bench.link.ReadSerialNumber(serial));
    EXPECT_NE(serial, 12345u);
  }
  ASSERT_TRUE(bench.link.ReadEsn(laterEsn));
  EXPECT_NE(laterEsn, esn);
}

TEST(RadioFaults, PowerLossAfterNWritesSilencesTheRadioUntilItIsPoweredAgain) {
  SimulatedRadio::Options options = FlashCodeRadio();
  options.faults.powerLossAfterWrites = 3;
  Bench bench(options);
  OpenBench(bench);
  const auto image = MakeImage(246 * 5);
  ASSERT_TRUE(bench.link.EraseFlash(0x10000, static_cast<uint32_t>(image.size())));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(bench.link.WriteFlash(0x10000 + 246 * i, 246, image.data() + 246 * i));
  EXPECT_FALSE(bench.link.WriteFlash(0x10000 + 246 * 3, 246, image.data() + 246 * 3));
  EXPECT_EQ(bench.link.LastError(), kNoFrame);
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::Off);
  uint32_t serial = 0;
  EXPECT_FALSE(bench.link.ReadSerialNumber(serial));

  // Powered again, the radio with half-written firmware waits in its boot loader, and stays on.
  bench.radio.PowerCycle();
  EXPECT_EQ(bench.radio.CurrentMode(), Mode::BootLoader);
  EXPECT_TRUE(bench.link.ReadSerialNumber(serial));
  EXPECT_TRUE(bench.radio.Flash().IsProgrammed(0x10000, 246 * 3));
  EXPECT_TRUE(bench.radio.Flash().IsErased(0x10000 + 246 * 3, 246 * 2));
  EXPECT_FALSE(bench.link.WriteFlash(0x10000 + 246 * 3, 246, image.data() + 246 * 3));
  EXPECT_EQ(bench.link.LastError(), kNegative) << "refused by the boot loader, not cut off again";
}

// Switched off and on, the radio comes up in its console unless an update was cut off after an erase;
// its boot loader then reports serial number 0 until the firmware is whole again.
TEST(RadioFaults, PowerCycleBringsUpTheConsoleOrAfterAnInterruptedEraseTheBootLoader) {
  const struct {
    const char* what;
    void (*before)(Bench&);
    Mode mode;
    uint32_t rate;
    uint32_t serial;
  } cases[] = {
      {"FLASH code raised to 38400, out of reach until switched off",
       [](Bench& b) {
         ASSERT_TRUE(b.link.ChangeBaudRate(38400));
         uint32_t serial = 0;
         EXPECT_FALSE(b.link.ReadSerialNumber(serial));
       },
       Mode::Console, 19200, 12345},
      {"cut off while writing", [](Bench& b) { ASSERT_TRUE(b.link.EraseFlash(0x10000, 600)); }, Mode::BootLoader,
       9600, 0},
      {"image written and signed",
       [](Bench& b) {
         const auto image = MakeImage(600);
         const auto signature = Sign(0x10000, image);
         ASSERT_TRUE(b.link.EraseFlash(0x10000, 600));
         ASSERT_TRUE(simtest::WriteImage(b.link, 0x10000, image));
         ASSERT_TRUE(b.link.SendSignature(20, signature.data()));
       },
       Mode::Console, 19200, 12345},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench bench(FlashCodeRadio());
    OpenBench(bench);
    c.before(bench);
    bench.radio.PowerCycle();
    EXPECT_EQ(bench.radio.CurrentMode(), c.mode);
    EXPECT_EQ(bench.radio.Rate(), c.rate);
    ASSERT_TRUE(bench.link.Connect(kPort));
    uint32_t serial = 99;
    ASSERT_TRUE(bench.link.ReadSerialNumber(serial)) << bench.link.LastError();
    EXPECT_EQ(serial, c.serial);
  }
}

}  // namespace
}  // namespace p25
