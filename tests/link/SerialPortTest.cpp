#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "link/SerialPort.h"
#include "support/Wire.h"

namespace p25::test {
namespace {

using Op = ScriptedDevice::Op;

class Port : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(port.Open("COM1", 9600)); }
  void ExpectError(uint32_t code, const char* text, uint32_t systemCode = 0) const {
    EXPECT_EQ(status.ErrorCode(), code);
    EXPECT_EQ(status.ErrorText(), text);
    EXPECT_EQ(status.SystemErrorCode(), systemCode);
  }
  uint64_t NowMs() const { return clock.ElapsedMs(); }
  // The next byte, or -1 when the timer ran out first.
  int Next() {
    uint8_t byte = 0;
    bool got = false;
    EXPECT_TRUE(port.NextByte(byte, got));
    return got ? byte : -1;
  }
  std::string Received(const Level2Frame& f) const { return ToHex(f.Data(), static_cast<size_t>(f.length)); }

  VirtualClock clock;
  LinkStatus status;
  ScriptedDevice* device = new ScriptedDevice(clock);  // owned by the port
  SerialPort port{status, std::unique_ptr<SerialDevice>(device), clock};
  Level2Frame frame{&status};
};

TEST_F(Port, OpenSetsTheRateAndAWriteTimeOutThatGrowsWithTheFrame) {
  for (auto [rate, msPerByte] : {std::pair{9600u, 4u}, {19200u, 2u}, {38400u, 1u}, {1200u, 25u}}) {
    ASSERT_TRUE(port.Open("\\\\.\\COM3", rate));
    const SerialTimeouts& t = device->Timeouts();
    EXPECT_EQ(device->BaudRate(), rate);
    EXPECT_EQ(t.writeTotalTimeoutMultiplier, msPerByte) << rate;
    EXPECT_EQ(t.writeTotalTimeoutConstant, 1000u);
    EXPECT_EQ(t.readIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(t.readTotalTimeoutMultiplier + t.readTotalTimeoutConstant, 0u);
  }
}

TEST_F(Port, EveryDeviceFailureHasItsOwnCodeTextAndSystemCode) {
  uint8_t buffer[4] = {};
  size_t got = 0;
  auto open = [&] { return port.Open("COM1", 38400); };
  const struct {
    Op op;
    std::function<bool()> run;
    uint32_t code;
    const char* text;
  } cases[] = {
      {Op::Open, open, 11, "Failed to open communications port"},
      {Op::GetState, open, 12, "Failed to get state of communications port"},
      {Op::SetState, open, 12, "Failed to configure communications port"},
      {Op::SetTimeouts, open, 12, "Failed to set communications port timeout"},
      {Op::Read, [&] { return port.Read(buffer, 4, got); }, 3, "Failed to read from serial port"},
      {Op::Write, [&] { return port.Write(buffer, 4); }, 2, "Failed to write to serial port"},
  };
  uint32_t systemCode = 100;
  for (const auto& c : cases) {
    device->FailNext(c.op, 1, ++systemCode);
    EXPECT_FALSE(c.run());
    ExpectError(c.code, c.text, systemCode);
    EXPECT_EQ(port.IsOpen(), c.code < 11);  // a failed open leaves nothing held
    EXPECT_TRUE(open());
  }
  device->ShortWriteNext(1, 3);
  EXPECT_FALSE(port.Write(buffer, 4));
  ExpectError(2, "Failed to write full message to serial port");
}

TEST_F(Port, BufferedBytesComeAtOnceAndFlushInputEmptiesDeviceAndBuffer) {
  device->Deliver(Hex("01 02"));
  port.StartTimer(10);
  EXPECT_EQ(Next(), 0x01);
  port.StartTimer(9);  // under one tick: not running, yet the buffered byte comes
  EXPECT_FALSE(port.TimerRunning());
  EXPECT_EQ(Next(), 0x02);
  device->Deliver(Hex("03"));
  for (int ms : {9, 0, -20}) {
    port.StartTimer(ms);
    EXPECT_EQ(Next(), -1);  // no timer: no read
  }
  EXPECT_EQ(device->Reads().size(), 1u);
  EXPECT_TRUE(port.FlushInput());
  EXPECT_EQ(device->Reads().size(), 3u);  // the pending byte, then an empty read
  device->Deliver(Bytes(600, 0x66));
  port.StartTimer(10);
  EXPECT_EQ(Next(), 0x66);
  EXPECT_TRUE(port.FlushInput());
  EXPECT_EQ(port.Available() + device->Pending(), 0u);
  EXPECT_EQ(NowMs(), 0u);
}

TEST_F(Port, WaitEndsWhenAByteArrivesButANominalWaitIsNeverCutShort) {
  device->Deliver(Bytes{0x55}, 123);
  port.StartTimer(500);
  EXPECT_EQ(Next(), 0x55);
  EXPECT_EQ(NowMs(), 123u);
  EXPECT_EQ(Next(), -1);
  EXPECT_EQ(NowMs(), 500u);
}

TEST_F(Port, AFailedReadIsATickOfTheWaitAndFlushInputEmptiesTheBufferAnyway) {
  device->Deliver(Bytes{0x55}, 50);
  device->FailNext(Op::Read, 2, 5);
  port.StartTimer(500);
  EXPECT_EQ(Next(), 0x55);
  EXPECT_EQ(NowMs(), 50u);
  // Failing to the end, the wait is served whole and the read's error stands...
  device->FailNext(Op::Read, 20, 5);
  port.StartTimer(100);
  uint8_t byte = 0;
  bool got = true;
  EXPECT_FALSE(port.NextByte(byte, got) || got);
  EXPECT_EQ(NowMs(), 150u);
  ExpectError(3, "Failed to read from serial port", 5);
  // ...which a frame's receiver replaces with its own.
  port.StartTimer(100);
  EXPECT_FALSE(port.ReceiveFrame(frame));
  ExpectError(3, "Failed to receive frame from radio");

  device->Deliver(Hex("01 02 03"));
  port.StartTimer(10);
  EXPECT_EQ(Next(), 0x01);
  device->FailNext(Op::Read, 1, 6);
  EXPECT_FALSE(port.FlushInput());
  EXPECT_EQ(port.Available(), 0u);
  ExpectError(3, "Failed to read from serial port", 6);
  // A request whose flush fails is not sent on that try; the next try follows at once.
  device->AfterNextWrite(kAck);
  device->FailNext(Op::Read, 1, 7);
  EXPECT_TRUE(port.SendWithAck(Frame(Hex("1A 11 04 00 00 4B 00"))));
  EXPECT_EQ(device->Writes().size(), 1u);
  EXPECT_EQ(NowMs(), 250u);
}

// The frame exchanges on the same port.
using FrameExchange = Port;

TEST_F(FrameExchange, SendWithAckTriesThreeTimesAndKeepsTheRightError) {
  const Bytes badCrc = Hex("DB 1A 12 00 00 00 BC"), reply = Wire(Hex("1A 12 00"));
  const Bytes badEscape = Hex("DB 11 03 CD BC"), none;
  const struct {
    Bytes replies[3];
    size_t sends;
    bool result;
    const char* text;
  } cases[] = {
      {{kAck}, 1, true, ""},
      {{none, none, none}, 3, false, "Failed to receive frame from radio"},
      {{badCrc, badCrc, badCrc}, 3, false, "Invalid CRC on receive frame"},
      {{reply, reply, reply}, 3, false, "Unexpected frame received from radio"},
      {{reply, badCrc, none}, 3, false, "Unexpected frame received from radio"},
      {{badEscape, none, badEscape}, 3, false, "Invalid escape sequence on Level 1 receive frame"},
      {{none, badCrc, kAck}, 3, true, "Invalid CRC on receive frame"},  // success clears nothing
  };
  for (const auto& c : cases) {
    device->ClearRecords();
    device->ClearReplies();
    status.SetActivity("");
    const uint64_t start = NowMs();
    for (const Bytes& r : c.replies) device->AfterNextWrite(r, 100);
    EXPECT_EQ(port.SendWithAck(Frame(Hex("1A 11 04 00 00 4B 00"))), c.result);
    EXPECT_EQ(status.ErrorText(), c.text);
    const auto& writes = device->Writes();
    ASSERT_EQ(writes.size(), c.sends);
    EXPECT_EQ(ToHex(writes[0].bytes), "DB 1A 11 04 00 00 4B 00 3C DE BC");
    // A try waits out its 500 ms unless a frame comes; the next try follows at once.
    if (c.sends > 1) {
      EXPECT_EQ(writes[1].AtMs() - start, c.replies[0].empty() ? 500u : 100u);
    }
  }
}

TEST_F(FrameExchange, StaleInputIsDroppedAndNoiseDoesNotShortenTheAcknowledgementWait) {
  device->Deliver(kAck);  // left over from an earlier exchange
  for (uint32_t ms = 7; ms < 2000; ms += 7) device->Deliver(Bytes{0x55}, ms);
  EXPECT_FALSE(port.SendWithAck(Frame(Hex("1A 11 04 00 00 4B 00"))));
  ASSERT_EQ(device->Writes().size(), 3u);
  EXPECT_EQ(device->Writes()[1].AtMs(), 500u);
  EXPECT_EQ(device->Writes()[2].AtMs(), 1000u);
  EXPECT_EQ(NowMs(), 1500u);
}

TEST_F(FrameExchange, ReceiveFrameSkipsNoiseRestartsAtAStartByteAndKeepsWhatFollows) {
  Bytes line = Hex("55 66 DB 11 22 DB FF FF BC DB 1D 16 04 00 00 00 11 3E FD BC DB");
  line.insert(line.end(), 600, 0x11);
  line.push_back(0xBC);
  line.insert(line.end(), kAck.begin(), kAck.end());
  device->Deliver(line);
  port.StartTimer(500);
  ASSERT_TRUE(port.ReceiveFrame(frame));
  EXPECT_EQ(Received(frame), "FF FF");
  ASSERT_TRUE(port.ReceiveFrame(frame));
  EXPECT_EQ(Received(frame), "1D 16 04 00 00 00 11 3E FD");
  EXPECT_FALSE(port.ReceiveFrame(frame));
  EXPECT_EQ(status.ErrorText(), "Level 1 receive frame too long");
  EXPECT_TRUE(port.ReceiveFrame(frame));
  EXPECT_EQ(device->Reads().size(), 2u);  // the burst came in two reads of up to 512 bytes
}

TEST_F(FrameExchange, ReceiveWithAckAcknowledgesTheFirstGoodFrameThenPauses30Ms) {
  device->Deliver(kAck, 100);
  device->Deliver(Hex("DB 1D 16 04 00 00 00 11 3E FE BC"), 200);
  device->Deliver(Hex("DB 1D 16 04 00 00 00 11 3E FD BC"), 25000);
  EXPECT_TRUE(port.ReceiveWithAck(frame, 30000));
  EXPECT_EQ(Received(frame), "1D 16 04 00 00 00 11");
  ASSERT_EQ(device->Writes().size(), 1u);  // empty frames and bad frames get no answer
  EXPECT_EQ(device->Writes()[0].bytes, kAck);
  EXPECT_EQ(device->Writes()[0].AtMs(), 25000u);
  EXPECT_EQ(NowMs(), 25030u);

  // The pause comes whatever became of the acknowledgement, whose result is returned.
  device->Deliver(Wire(Hex("1D 16 00")));
  device->ShortWriteNext(1);
  EXPECT_FALSE(port.ReceiveWithAck(frame, 30000));
  ExpectError(2, "Failed to write full message to serial port");
  EXPECT_EQ(NowMs(), 25060u);

  EXPECT_FALSE(port.ReceiveWithAck(frame, 30000));
  ExpectError(3, "Failed to receive frame from radio");
  EXPECT_EQ(NowMs(), 55060u);
  EXPECT_FALSE(port.ReceiveWithAck(frame, 9));
  ExpectError(4, "Failed to receive frame");
  EXPECT_EQ(NowMs(), 55060u);
}

}  // namespace
}  // namespace p25::test
