#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "session/RadioLink.h"
#include "support/Wire.h"

namespace p25::test {
namespace {

using Op = ScriptedDevice::Op;

class Session : public ::testing::Test {
protected:
  void ExpectStatus(const char* text, uint32_t code, uint32_t system = 0, const char* activity = nullptr) {
    uint32_t c = 99, s = 99;
    std::string a;
    EXPECT_EQ(link.LastError(&c, &s, &a), text);
    EXPECT_EQ(c, code);
    EXPECT_EQ(s, system);
    if (activity != nullptr) {
      EXPECT_EQ(a, activity);
    }
  }
  // A console that answers every second carriage return at 9600 baud; the write after the first
  // `failAfter` ones fails.
  void Console(const Bytes& answer, size_t failAfter = SIZE_MAX) {
    radio->SetPeer([answer, failAfter, returns = 0](const Bytes& written, ScriptedDevice& device) mutable {
      std::vector<ScriptedDevice::Reply> out;
      if (device.BaudRate() == 9600 && written == Bytes{0x0D} && ++returns % 2 == 0)
        out.push_back({answer, 20});
      if (device.Writes().size() == failAfter) device.FailNext(Op::Write, 1, 5);
      return out;
    });
  }

  VirtualClock clock;
  ScriptedDevice* radio = new ScriptedDevice(clock);  // owned by the link
  RadioLink link{std::unique_ptr<SerialDevice>(radio), clock};
  const std::string com1 = "\\\\.\\COM1";
};

TEST_F(Session, EveryCommandSendsItsRequestAndHandsBackWhatTheRadioSaid) {
  const Bytes code = {0xAA, 0xBB, 0xCC};
  Bytes signature;
  for (uint8_t i = 0; i < 20; ++i) signature.push_back(i);
  uint32_t serial = 0, features = 0;
  std::string esn;
  const struct {
    std::function<bool(RadioLink&)> run;
    // No reply: a Notice, which returns on the acknowledgement without waiting or pausing.
    const char *request, *reply, *activity;
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
      {[&](RadioLink& l) { return l.ReadSerialNumber(serial); }, "1D 15 00", "1D 16 04 01 02 03 11",
       "Reading serial number in radio"},
      {[](RadioLink& l) { return l.SetSerialNumber(17); }, "1D 11 04 00 00 00 11", "1D 12 00",
       "Setting serial number in radio"},
      {[&](RadioLink& l) { return l.ReadEsn(esn); }, "11 15 01 04",
       "11 16 0D 04 00 00 00 00 00 00 12 34 00 00 AB CD", "Reading ESN in radio"},
      {[&](RadioLink& l) { return l.ReadHwFeatures(features); }, "11 15 01 05", "11 16 04 80 00 00 01",
       "Reading HW Features in radio"},
      {[&](RadioLink& l) { return l.SendSignature(20, signature.data()); },
       "35 11 14 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13", "35 12 00",
       "Sending signature to radio"},
  };
  ASSERT_TRUE(link.OpenComms(com1, 38400));
  for (const auto& c : cases) {
    radio->ClearRecords();
    radio->SetPeer(Radio(Hex(c.reply)));
    EXPECT_TRUE(c.run(link)) << c.activity << ": " << link.LastError();
    ExpectStatus("", 0, 0, c.activity);
    const auto& writes = radio->Writes();
    ASSERT_EQ(writes.size(), *c.reply ? 2u : 1u) << c.activity;
    EXPECT_EQ(ToHex(writes[0].bytes), ToHex(Wire(Hex(c.request))));
    EXPECT_EQ(writes.back().bytes, *c.reply ? kAck : writes[0].bytes);
  }
  EXPECT_EQ(serial, 0x01020311u);
  EXPECT_EQ(esn, "1234ABCD");
  EXPECT_EQ(features, 0x80000001u);
}

TEST_F(Session, RefusedOrUnansweredCommandsLeaveOutputsAsTheyPromise) {
  ASSERT_TRUE(link.OpenComms(com1, 9600));
  uint32_t serial = 99, features = 7;
  std::string esn = "kept";
  radio->SetPeer(Radio(Hex("1D 17 00")));
  EXPECT_FALSE(link.ReadSerialNumber(serial));
  ExpectStatus("Negative confirmation received from radio", 5);
  radio->SetPeer(Radio(Hex("11 16 04 00 00 00 01")));  // too short to hold an ESN
  EXPECT_FALSE(link.ReadEsn(esn));
  EXPECT_EQ(serial, 99u);
  EXPECT_EQ(esn, "kept");
  radio->SetPeer(Radio(Hex("34 13 00")));
  EXPECT_FALSE(link.ConfirmedReboot());
  ExpectStatus("", 0);

  radio->SetPeer(nullptr);
  radio->ClearRecords();
  EXPECT_FALSE(link.ReadHwFeatures(features));
  EXPECT_EQ(features, 0u);
  ExpectStatus("Failed to receive frame from radio", 3);
  EXPECT_EQ(radio->Writes().size(), 3u);

  radio->ClearRecords();
  const Bytes data(256, 0);
  EXPECT_FALSE(link.WriteFlash(0, 251, data.data()) || link.DownloadBootCode(0, 251, data.data()));
  ExpectStatus("Too much data for message", 6);
  EXPECT_FALSE(link.SendSignature(256, data.data()));
  ExpectStatus("Too much data for message", 6);
  EXPECT_TRUE(radio->Writes().empty());
  // 255 bytes fill the information field exactly.
  radio->SetPeer(Radio(Hex("35 12 00")));
  EXPECT_TRUE(link.SendSignature(255, data.data()));
  ASSERT_EQ(radio->Writes().size(), 2u);
  EXPECT_EQ(ToHex(*Message(radio->Writes()[0].bytes)).substr(0, 9), "35 11 FF ");
  EXPECT_EQ(Message(radio->Writes()[0].bytes)->size(), 258u);
}

TEST_F(Session, ConnectTalksToTheConsoleAt19200ThenProbesAt9600) {
  Console(Hex("0D 0A 3E 20"));
  EXPECT_TRUE(link.Connect(com1));
  ExpectStatus("", 0);
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(radio->BaudRate(), 9600u);

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
  for (const char* answer : {"", "0D 0A 3E", "0A 0D 3E 20"}) {
    Console(Hex(answer));
    EXPECT_TRUE(link.Connect(com1));
    ExpectStatus("Failed to Comm with Radio", 2);
  }
  radio->FailNext(Op::Open, 1, 2);
  EXPECT_FALSE(link.Connect(com1));
  ExpectStatus("Failed to open communications port", 11, 2);

  // When the 9600 reopen fails the probe still runs, and the errors of its reads and writes on the
  // closed port replace the open error; the last is the read after the first pair of carriage returns.
  radio->ClearRecords();
  radio->SetPeer([](const Bytes&, ScriptedDevice& device) {
    if (device.Writes().size() == 16) device.FailNext(Op::Open, 1, 2);
    return std::vector<ScriptedDevice::Reply>{};
  });
  EXPECT_FALSE(link.Connect(com1));
  EXPECT_FALSE(link.IsOpen());
  ExpectStatus("Failed to read from serial port", 3, ScriptedDevice::kBadHandle);
}

TEST_F(Session, AFailedConsoleWriteSkipsTheRestOfItsStepButConnectGoesOn) {
  const struct {
    size_t failAfter;
    const char *at19200, *at9600, *text;
  } cases[] = {
      // The wake-up fails: no rate command.
      {0, "", "0D 0D 0D 0D", ""},
      {5, "0D 0D 2F 62 61", "0D 0D 0D 0D", ""},
      // The probe's first pair fails: no second pair, and the write's error is what stays.
      {16, "0D 0D 2F 62 61 75 64 20 39 36 30 30 0D 0D 0D 0D", "", "Failed to write to serial port"},
      {17, "0D 0D 2F 62 61 75 64 20 39 36 30 30 0D 0D 0D 0D", "0D", "Failed to write to serial port"},
  };
  for (const auto& c : cases) {
    radio->ClearRecords();
    Console(Hex("0D 0A 3E 20"), c.failAfter);
    if (c.failAfter == 0) radio->FailNext(Op::Write, 1, 5);
    EXPECT_TRUE(link.Connect(com1));
    EXPECT_EQ(link.LastError(), c.text) << c.failAfter;
    Bytes at19200, at9600;
    for (const auto& w : radio->Writes()) (w.baudRate == 19200 ? at19200 : at9600).push_back(w.bytes[0]);
    EXPECT_EQ(ToHex(at19200), c.at19200) << c.failAfter;
    EXPECT_EQ(ToHex(at9600), c.at9600) << c.failAfter;
  }
}

TEST_F(Session, PollForOkTakesOneByteACallAndWatchesTheLastTwo) {
  const std::pair<const char*, const char*> cases[] = {
      {"xxOK", "FFFTF"}, {"OOK", "FFTF"}, {"OKOK", "FTFTF"}, {"K.OK", "FFFTF"}};
  for (auto [bytes, results] : cases) {
    VirtualClock ownClock;
    auto* device = new ScriptedDevice(ownClock);
    RadioLink fresh(std::unique_ptr<SerialDevice>(device), ownClock);
    ASSERT_TRUE(fresh.OpenComms(com1, 9600));
    device->Deliver(Bytes(bytes, bytes + std::string(bytes).size()));
    std::string got;
    for (size_t i = 0; i <= std::string(bytes).size(); ++i) got += fresh.PollForOk() ? 'T' : 'F';
    EXPECT_EQ(got, results) << bytes;
  }
  // It neither sets the activity nor clears the error; only a failed read reports.
  ASSERT_TRUE(link.OpenComms(com1, 9600));
  link.Status().ReportError(4, "Failed to receive frame");
  EXPECT_FALSE(link.PollForOk());
  ExpectStatus("Failed to receive frame", 4, 0, "Opening communications with radio");
  radio->FailNext(Op::Read, 1, 5);
  EXPECT_FALSE(link.PollForOk());
  ExpectStatus("Failed to read from serial port", 3, 5);
}

TEST_F(Session, OpenCommsOnAnOpenLinkClosesFirstAndCloseCommsOnAClosedLinkFails) {
  EXPECT_TRUE(link.OpenComms(com1, 9600));
  EXPECT_TRUE(link.OpenComms(com1, 38400));
  EXPECT_EQ(radio->Opens() + radio->Closes(), 3);
  ExpectStatus("", 0, 0, "Closing communications with radio");
  EXPECT_TRUE(link.CloseComms());
  EXPECT_FALSE(radio->IsOpen());
  link.Status().ReportError(2, "Failed to Comm with Radio");
  EXPECT_FALSE(link.CloseComms());
  ExpectStatus("", 0, 0, "Closing communications with radio");

  radio->FailNext(Op::SetState, 1, 22);
  EXPECT_FALSE(link.OpenComms(com1, 12345) || link.IsOpen());
  ExpectStatus("Failed to configure communications port", 12, 22, "Opening communications with radio");
}

}  // namespace
}  // namespace p25::test
