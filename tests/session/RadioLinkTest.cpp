#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "session/RadioLink.h"
#include "support/ScriptedDevice.h"
#include "support/Wire.h"

namespace p25::test {
namespace {

using Op = ScriptedDevice::Op;

class Session : public ::testing::Test {
protected:
  uint64_t NowMs() const { return clock.ElapsedMs(); }

  VirtualClock clock;
  ScriptedDevice* radio = new ScriptedDevice(clock);  // owned by the link
  RadioLink link{std::unique_ptr<SerialDevice>(radio), clock};
  const std::string com1 = "\\\\.\\COM1";
};

TEST_F(Session, EveryCommandSendsItsRequestAndHandsBackWhatTheRadioSaid) {
  const Bytes code = {0xAA, 0xBB, 0xCC};
  Bytes signature;
  for (uint8_t i = 0; i < 20; ++i) signature.push_back(i);
  const struct {
    std::function<bool(RadioLink&)> run;
    const char* request;
    const char* reply;  // none: a Notice, answered by the acknowledgement alone
    const char* activity;
  } cases[] = {
      {[](RadioLink& l) { return l.ChangeBaudRate(19200); }, "1A 11 04 00 00 4B 00", "1A 12 00",
       "Instructing radio to change baud rate"},
      {[](RadioLink& l) { return l.EnterBootMode(); }, "14 14 00", "",
       "Instructing radio to enter boot mode"},
      {[&](RadioLink& l) { return l.DownloadBootCode(0x00012345, 3, code.data()); },
       "15 11 08 00 01 23 45 03 AA BB CC", "15 12 00", "Downloading boot code"},
      {[](RadioLink& l) { return l.ExecuteBootCode(0x00010000); }, "16 14 04 00 01 00 00", "",
       "Instructing radio to execute boot code"},
      {[](RadioLink& l) { return l.EraseFlash(0x00020000, 0x00010000); },
       "17 11 08 00 02 00 00 00 01 00 00", "17 12 00", "Erasing radio flash memory"},
      {[&](RadioLink& l) { return l.WriteFlash(0xFF020000, 2, code.data()); },
       "18 11 07 FF 02 00 00 02 AA BB", "18 12 00", "Writing data to flash memory"},
      {[](RadioLink& l) { return l.Reboot(); }, "19 14 00", "", "Rebooting radio"},
      {[](RadioLink& l) { return l.ConfirmedReboot(); }, "34 11 00", "34 12 00", "Rebooting radio"},
      {[](RadioLink& l) {
         uint32_t serial = 0;
         return l.ReadSerialNumber(serial) && serial == 0x01020311;
       },
       "1D 15 00", "1D 16 04 01 02 03 11", "Reading serial number in radio"},
      {[](RadioLink& l) { return l.SetSerialNumber(17); }, "1D 11 04 00 00 00 11", "1D 12 00",
       "Setting serial number in radio"},
      {[](RadioLink& l) {
         std::string esn;
         return l.ReadEsn(esn) && esn == "1234ABCD";
       },
       "11 15 01 04", "11 16 0D 04 00 00 00 00 00 00 12 34 00 00 AB CD", "Reading ESN in radio"},
      {[](RadioLink& l) {
         uint32_t features = 0;
         return l.ReadHwFeatures(features) && features == 0x80000001;
       },
       "11 15 01 05", "11 16 04 80 00 00 01", "Reading HW Features in radio"},
      {[&](RadioLink& l) { return l.SendSignature(20, signature.data()); },
       "35 11 14 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13", "35 12 00",
       "Sending signature to radio"},
  };
  ASSERT_TRUE(link.OpenComms(com1, 38400));
  for (const auto& c : cases) {
    radio->ClearRecords();
    radio->SetPeer(Radio(Hex(c.reply)));
    link.SetActivity("");
    EXPECT_TRUE(c.run(link)) << c.activity << ": " << link.LastError();
    const auto& writes = radio->Writes();
    ASSERT_EQ(writes.size(), *c.reply ? 2u : 1u) << c.activity;
    EXPECT_EQ(ToHex(writes[0].bytes), ToHex(Wire(Hex(c.request)))) << c.activity;
    EXPECT_EQ(writes.back().bytes, *c.reply ? kAck : Wire(Hex(c.request)));
    uint32_t errorCode = 1;
    std::string activity;
    EXPECT_EQ(link.LastError(&errorCode, nullptr, &activity), "");
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(activity, c.activity);
  }
}

TEST_F(Session, NoticeCommandReturnsOnTheAcknowledgementWithoutAwaitingAReply) {
  ASSERT_TRUE(link.OpenComms(com1, 9600));
  radio->AfterNextWrite(kAck, 40);
  EXPECT_TRUE(link.EnterBootMode());
  EXPECT_EQ(ToHex(radio->Writes()[0].bytes), "DB 14 14 00 AF EB BC");
  EXPECT_EQ(NowMs(), 40u);
}

TEST_F(Session, RefusedOrUnansweredCommandsLeaveOutputsAsTheyPromise) {
  ASSERT_TRUE(link.OpenComms(com1, 9600));
  uint32_t serial = 99;
  radio->SetPeer(Radio(Hex("1D 17 00")));
  EXPECT_FALSE(link.ReadSerialNumber(serial));
  EXPECT_EQ(serial, 99u);
  EXPECT_EQ(link.LastError(), "Negative confirmation received from radio");

  std::string esn = "kept";
  radio->SetPeer(Radio(Hex("11 16 04 00 00 00 01")));  // too short to hold an ESN
  EXPECT_FALSE(link.ReadEsn(esn));
  EXPECT_EQ(esn, "kept");

  radio->SetPeer(Radio(Hex("34 13 00")));
  uint32_t code = 1;
  EXPECT_FALSE(link.ConfirmedReboot());
  EXPECT_EQ(link.LastError(&code), "");
  EXPECT_EQ(code, 0u);

  radio->SetPeer(nullptr);
  radio->ClearRecords();
  uint32_t features = 7;
  EXPECT_FALSE(link.ReadHwFeatures(features));
  EXPECT_EQ(features, 0u);
  EXPECT_EQ(link.LastError(), "Failed to receive frame from radio");
  EXPECT_EQ(radio->Writes().size(), 3u);

  radio->ClearRecords();
  const Bytes data(251, 0);
  EXPECT_FALSE(link.WriteFlash(0, 251, data.data()));
  EXPECT_FALSE(link.DownloadBootCode(0, 251, data.data()));
  EXPECT_EQ(link.LastError(&code), "Too much data for message");
  EXPECT_EQ(code, 6u);
  EXPECT_TRUE(radio->Writes().empty());
}

TEST_F(Session, ConnectTalksToTheConsoleAt19200ThenProbesAt9600) {
  // A console that answers "\r\n> " to every second carriage return at 9600 baud.
  int returns = 0;
  radio->SetPeer([&](const Bytes& written, ScriptedDevice& device) {
    std::vector<ScriptedDevice::Reply> answer;
    if (device.BaudRate() == 9600 && written == Bytes{0x0D} && ++returns % 2 == 0)
      answer.push_back({Hex("0D 0A 3E 20"), 20});
    return answer;
  });
  EXPECT_TRUE(link.Connect(com1));
  EXPECT_EQ(link.LastError(), "");
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(radio->BaudRate(), 9600u);
  EXPECT_EQ(radio->Opens(), 2);

  Bytes at19200, at9600;
  std::vector<uint64_t> times;
  for (const auto& w : radio->Writes()) {
    ASSERT_EQ(w.bytes.size(), 1u);  // the console is written one byte per write
    (w.baudRate == 19200 ? at19200 : at9600).push_back(w.bytes[0]);
    times.push_back(w.AtMs());
  }
  EXPECT_EQ(ToHex(at19200), "0D 0D 2F 62 61 75 64 20 39 36 30 30 0D 0D 0D 0D");
  EXPECT_EQ(ToHex(at9600), "0D 0D 0D 0D");
  const std::vector<uint64_t> expected = {0,   0,   501, 502, 503, 504, 505,  506,  507,  508,
                                          509, 510, 511, 512, 512, 512, 1512, 1512, 1612, 1612};
  EXPECT_EQ(times, expected);
  // The answer to the first pair was dropped at 1612 ms; the second is read 500 ms after it was asked for.
  const auto& last = radio->Reads().back();
  EXPECT_EQ(last.atMicros / 1000, 2112u);
  EXPECT_EQ(last.asked, 20u);
  EXPECT_EQ(last.got, 4u);
}

TEST_F(Session, ConnectSucceedsOnTheReopenWhateverTheProbeHeard) {
  const struct {
    const char* answer;
    const char* error;
  } cases[] = {
      {"0D 0A 3E 20", ""},
      {"", "Failed to Comm with Radio"},
      {"0D 0A 3E", "Failed to Comm with Radio"},
      {"0A 0D 3E 20", "Failed to Comm with Radio"},
  };
  for (const auto& c : cases) {
    const Bytes answer = Hex(c.answer);
    int returns = 0;
    radio->SetPeer([&](const Bytes&, ScriptedDevice& device) {
      std::vector<ScriptedDevice::Reply> out;
      if (device.BaudRate() == 9600 && ++returns % 2 == 0) out.push_back({answer, 0});
      return out;
    });
    uint32_t code = 0;
    EXPECT_TRUE(link.Connect(com1));
    EXPECT_EQ(link.LastError(&code), c.error);
    EXPECT_EQ(code, *c.error ? 2u : 0u);
  }
}

TEST_F(Session, ConnectReportsTheFailuresOfTheStepThatFailedLast) {
  radio->FailNext(Op::Open, 1, 2);
  uint32_t code = 0, systemCode = 0;
  EXPECT_FALSE(link.Connect(com1));
  EXPECT_EQ(link.LastError(&code, &systemCode), "Failed to open communications port");
  EXPECT_EQ(systemCode, 2u);
  EXPECT_TRUE(radio->Writes().empty());

  // The 9600 reopen fails; the probe still runs on the closed port and its errors replace the open
  // error. Its last step that fails is the read after the first pair of carriage returns.
  radio->SetPeer([](const Bytes&, ScriptedDevice& device) {
    if (device.Writes().size() == 16) device.FailNext(Op::Open, 1, 2);
    return std::vector<ScriptedDevice::Reply>{};
  });
  EXPECT_FALSE(link.Connect(com1));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.LastError(&code, &systemCode), "Failed to read from serial port");
  EXPECT_EQ(code, 3u);
  EXPECT_EQ(systemCode, ScriptedDevice::kBadHandle);
}

TEST_F(Session, PollForOkTakesOneByteACallAndWatchesTheLastTwo) {
  const struct {
    const char* bytes;
    const char* results;
  } cases[] = {{"xxOK", "FFFTF"}, {"OOK", "FFTF"}, {"OKOK", "FTFTF"}, {"KO.K", "FFFFF"}};
  for (const auto& c : cases) {
    VirtualClock localClock;
    auto* device = new ScriptedDevice(localClock);
    RadioLink fresh(std::unique_ptr<SerialDevice>(device), localClock);
    ASSERT_TRUE(fresh.OpenComms(com1, 9600));
    device->Deliver(Bytes(c.bytes, c.bytes + std::string(c.bytes).size()));
    std::string results;
    for (size_t i = 0; i <= std::string(c.bytes).size(); ++i) results += fresh.PollForOk() ? 'T' : 'F';
    EXPECT_EQ(results, c.results) << c.bytes;
  }
}

TEST_F(Session, PollForOkLeavesTheStatusAloneUnlessTheReadFails) {
  ASSERT_TRUE(link.OpenComms(com1, 9600));
  link.SetActivity("Waiting for radio");
  link.Status().ReportError(4, "Failed to receive frame");
  std::string activity;
  uint32_t code = 0;
  EXPECT_FALSE(link.PollForOk());
  EXPECT_EQ(link.LastError(nullptr, nullptr, &activity), "Failed to receive frame");
  EXPECT_EQ(activity, "Waiting for radio");

  radio->FailNext(Op::Read, 1, 5);
  EXPECT_FALSE(link.PollForOk());
  EXPECT_EQ(link.LastError(&code), "Failed to read from serial port");
  EXPECT_EQ(code, 3u);
}

TEST_F(Session, OpenCommsOnAnOpenLinkClosesFirstAndCloseCommsOnAClosedLinkFails) {
  std::string activity;
  uint32_t code = 0, systemCode = 0;
  EXPECT_TRUE(link.OpenComms(com1, 9600));
  EXPECT_TRUE(link.OpenComms(com1, 38400));
  EXPECT_EQ(radio->Opens(), 2);
  EXPECT_EQ(radio->Closes(), 1);
  EXPECT_EQ(link.LastError(nullptr, nullptr, &activity), "");
  EXPECT_EQ(activity, "Closing communications with radio");

  EXPECT_TRUE(link.CloseComms());
  EXPECT_FALSE(radio->IsOpen());
  link.Status().ReportError(2, "Failed to Comm with Radio");
  EXPECT_FALSE(link.CloseComms());
  EXPECT_EQ(link.LastError(&code, nullptr, &activity), "");
  EXPECT_EQ(activity, "Closing communications with radio");

  radio->FailNext(Op::SetState, 1, 22);
  EXPECT_FALSE(link.OpenComms(com1, 12345));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(radio->IsOpen());
  EXPECT_EQ(link.LastError(&code, &systemCode, &activity), "Failed to configure communications port");
  EXPECT_EQ(code, 12u);
  EXPECT_EQ(systemCode, 22u);
  EXPECT_EQ(activity, "Opening communications with radio");
}

}  // namespace
}  // namespace p25::test
