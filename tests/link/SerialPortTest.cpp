#include <gtest/gtest.h>

#include <memory>

#include "link/SerialPort.h"
#include "support/ScriptedDevice.h"
#include "support/Wire.h"

namespace p25::test {
namespace {

using Op = ScriptedDevice::Op;

class Port : public ::testing::Test {
protected:
  void ExpectError(uint32_t code, const char* text, uint32_t systemCode = 0) const {
    EXPECT_EQ(status.ErrorCode(), code);
    EXPECT_EQ(status.ErrorText(), text);
    EXPECT_EQ(status.SystemErrorCode(), systemCode);
  }
  uint64_t NowMs() const { return clock.ElapsedMs(); }
  bool Next(uint8_t& byte) {
    bool got = false;
    EXPECT_TRUE(port.NextByte(byte, got));
    return got;
  }

  VirtualClock clock;
  LinkStatus status;
  ScriptedDevice* device = new ScriptedDevice(clock);  // owned by the port
  SerialPort port{status, std::unique_ptr<SerialDevice>(device), clock};
};

TEST_F(Port, OpenSetsTheRateAndAWriteTimeOutThatGrowsWithTheFrame) {
  const struct {
    uint32_t rate, msPerByte;
  } cases[] = {{9600, 4}, {19200, 2}, {38400, 1}, {1200, 25}};
  for (const auto& c : cases) {
    ASSERT_TRUE(port.Open("\\\\.\\COM3", c.rate));
    EXPECT_EQ(device->BaudRate(), c.rate);
    const SerialTimeouts& t = device->Timeouts();
    EXPECT_EQ(t.writeTotalTimeoutMultiplier, c.msPerByte) << c.rate;
    EXPECT_EQ(t.writeTotalTimeoutConstant, 1000u);
    EXPECT_EQ(t.readIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(t.readTotalTimeoutMultiplier + t.readTotalTimeoutConstant, 0u);
  }
  EXPECT_EQ(device->Name(), "\\\\.\\COM3");
}

TEST_F(Port, EachOpenStepFailsWithItsOwnErrorAndLeavesThePortClosed) {
  const struct {
    Op op;
    uint32_t code;
    const char* text;
  } cases[] = {
      {Op::Open, 11, "Failed to open communications port"},
      {Op::GetState, 12, "Failed to get state of communications port"},
      {Op::SetState, 12, "Failed to configure communications port"},
      {Op::SetTimeouts, 12, "Failed to set communications port timeout"},
  };
  uint32_t systemCode = 100;
  for (const auto& c : cases) {
    device->FailNext(c.op, 1, ++systemCode);
    EXPECT_FALSE(port.Open("\\\\.\\COM1", 38400));
    ExpectError(c.code, c.text, systemCode);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Open("\\\\.\\COM1", 38400));  // the port is not left held
    port.Close();
  }
}

TEST_F(Port, ReadAndWriteFailuresAreReportedAsTheOsGaveThem) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  uint8_t buffer[4] = {1, 2, 3, 4};
  size_t got = 99;
  device->FailNext(Op::Read, 1, 31);
  EXPECT_FALSE(port.Read(buffer, 4, got));
  EXPECT_EQ(got, 0u);
  ExpectError(3, "Failed to read from serial port", 31);

  device->FailNext(Op::Write, 1, 32);
  EXPECT_FALSE(port.Write(buffer, 4));
  ExpectError(2, "Failed to write to serial port", 32);

  device->ShortWriteNext(1, 3);
  EXPECT_FALSE(port.Write(buffer, 4));
  ExpectError(2, "Failed to write full message to serial port");
}

TEST_F(Port, FlushInputDrainsTheDeviceAndTheReceiveBuffer) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  EXPECT_TRUE(port.FlushInput());
  EXPECT_EQ(device->Reads().size(), 1u);  // nothing pending: one read

  device->Deliver(Bytes(3, 0x55));
  port.StartTimer(100);
  uint8_t byte = 0;
  ASSERT_TRUE(Next(byte));
  device->Deliver(Bytes(600, 0x66));
  EXPECT_TRUE(port.FlushInput());
  EXPECT_EQ(port.Available(), 0u);
  EXPECT_EQ(device->Pending(), 0u);

  device->Deliver(Bytes(3, 0x55));
  ASSERT_TRUE(Next(byte));
  device->FailNext(Op::Read, 1, 5);
  EXPECT_FALSE(port.FlushInput());
  EXPECT_EQ(port.Available(), 0u);
}

TEST_F(Port, TimerShorterThanOneTickGivesNoByteWithoutReadingOrWaiting) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  device->Deliver(Bytes{0x55});
  for (int ms : {9, 0, -20}) {
    port.StartTimer(ms);
    EXPECT_FALSE(port.TimerRunning());
    uint8_t byte = 0;
    EXPECT_FALSE(Next(byte));
  }
  EXPECT_TRUE(device->Reads().empty());
  EXPECT_EQ(NowMs(), 0u);
}

TEST_F(Port, BufferedBytesAreHandedOutEvenAfterTheTimerRanOut) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  device->Deliver(Hex("01 02"));
  port.StartTimer(10);
  uint8_t byte = 0;
  ASSERT_TRUE(Next(byte));
  port.StartTimer(0);
  ASSERT_TRUE(Next(byte));
  EXPECT_EQ(byte, 0x02);
  EXPECT_FALSE(Next(byte));
}

TEST_F(Port, WaitEndsWhenAByteArrivesButANominalWaitIsNeverCutShort) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  device->Deliver(Bytes{0x55}, 123);
  port.StartTimer(500);
  uint8_t byte = 0;
  ASSERT_TRUE(Next(byte));
  EXPECT_EQ(NowMs(), 123u);
  EXPECT_FALSE(Next(byte));
  EXPECT_EQ(NowMs(), 500u);
}

TEST_F(Port, ReadFailuresDuringAWaitEndItWithFalseOnlyIfTheLastReadFailed) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  port.StartTimer(50);
  device->FailNext(Op::Read, 5, 7);
  uint8_t byte = 0;
  bool got = true;
  EXPECT_FALSE(port.NextByte(byte, got));
  EXPECT_FALSE(got);
  ExpectError(3, "Failed to read from serial port", 7);

  device->FailNext(Op::Read, 2, 7);
  device->Deliver(Bytes{0x42}, 30);
  port.StartTimer(50);
  EXPECT_TRUE(Next(byte));
  EXPECT_EQ(byte, 0x42);
}

// The frame exchanges on the same port.
class FrameExchange : public Port {};

const Bytes kRequest = Hex("1A 11 04 00 00 4B 00");

Level2Frame RequestFrame() {
  Level2Frame frame;
  std::copy(kRequest.begin(), kRequest.end(), frame.Data());
  frame.length = static_cast<int>(kRequest.size());
  frame.AppendCrc();
  return frame;
}

TEST_F(FrameExchange, SendWithAckWritesTheFrameOnceAndSucceedsOnTheAcknowledgement) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  device->AfterNextWrite(kAck, 40);
  EXPECT_TRUE(port.SendWithAck(RequestFrame()));
  ASSERT_EQ(device->Writes().size(), 1u);
  EXPECT_EQ(ToHex(device->Writes()[0].bytes), "DB 1A 11 04 00 00 4B 00 3C DE BC");
  EXPECT_EQ(NowMs(), 40u);
}

TEST_F(FrameExchange, SendWithAckTriesThreeTimesAndKeepsTheRightError) {
  const Bytes badCrc = Hex("DB 1A 12 00 00 00 BC");
  const Bytes reply = Wire(Hex("1A 12 00"));
  const Bytes badEscape = Hex("DB 11 03 CD BC");
  const Bytes none;
  const struct {
    Bytes replies[3];
    bool result;
    uint32_t code;
    const char* text;
  } cases[] = {
      {{none, none, none}, false, 3, "Failed to receive frame from radio"},
      {{badCrc, badCrc, badCrc}, false, 7, "Invalid CRC on receive frame"},
      {{reply, reply, reply}, false, 7, "Unexpected frame received from radio"},
      {{reply, badCrc, none}, false, 7, "Unexpected frame received from radio"},
      {{badEscape, none, badEscape}, false, 9, "Invalid escape sequence on Level 1 receive frame"},
      {{none, badCrc, kAck}, true, 7, "Invalid CRC on receive frame"},  // success clears nothing
  };
  ASSERT_TRUE(port.Open("COM1", 9600));
  for (const auto& c : cases) {
    device->ClearRecords();
    status.SetActivity("");
    const uint64_t start = NowMs();
    for (const Bytes& r : c.replies) device->AfterNextWrite(r, 100);
    EXPECT_EQ(port.SendWithAck(RequestFrame()), c.result);
    ASSERT_EQ(device->Writes().size(), 3u);
    // Each try waits out its 500 ms; a try that got its frame ends when the frame came.
    EXPECT_EQ(device->Writes()[1].AtMs() - start, c.replies[0].empty() ? 500u : 100u);
    EXPECT_EQ(status.ErrorCode(), c.code);
    EXPECT_EQ(status.ErrorText(), c.text);
  }
}

TEST_F(FrameExchange, StaleInputIsDroppedAndNoiseDoesNotShortenTheAcknowledgementWait) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  device->Deliver(kAck);  // left over from an earlier exchange
  for (uint32_t ms = 7; ms < 2000; ms += 7) device->Deliver(Bytes{0x55}, ms);
  EXPECT_FALSE(port.SendWithAck(RequestFrame()));
  ASSERT_EQ(device->Writes().size(), 3u);
  EXPECT_EQ(device->Writes()[1].AtMs(), 500u);
  EXPECT_EQ(device->Writes()[2].AtMs(), 1000u);
  EXPECT_EQ(NowMs(), 1500u);
}

TEST_F(FrameExchange, ReceiveFrameSkipsNoiseRestartsAtAStartByteAndKeepsWhatFollows) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  Bytes line = Hex("55 66 DB 11 22 DB FF FF BC DB 1D 16 04 00 00 00 11 3E FD BC DB");
  line.insert(line.end(), 600, 0x11);
  line.push_back(0xBC);
  line.insert(line.end(), kAck.begin(), kAck.end());
  device->Deliver(line);
  port.StartTimer(500);
  Level2Frame frame(&status);
  ASSERT_TRUE(port.ReceiveFrame(frame));
  EXPECT_EQ(ToHex(frame.Data(), static_cast<size_t>(frame.length)), "FF FF");
  ASSERT_TRUE(port.ReceiveFrame(frame));
  EXPECT_EQ(ToHex(frame.Data(), static_cast<size_t>(frame.length)), "1D 16 04 00 00 00 11 3E FD");
  EXPECT_FALSE(port.ReceiveFrame(frame));
  EXPECT_EQ(status.ErrorText(), "Level 1 receive frame too long");
  EXPECT_TRUE(port.ReceiveFrame(frame));
  EXPECT_EQ(device->Reads().size(), 2u);  // the whole burst came in two reads of up to 512 bytes
}

TEST_F(FrameExchange, ReceiveWithAckAcknowledgesTheFirstGoodFrameThenPauses30Ms) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  device->Deliver(kAck, 100);
  device->Deliver(Hex("DB 1D 16 04 00 00 00 11 3E FE BC"), 200);
  device->Deliver(Hex("DB 1D 16 04 00 00 00 11 3E FD BC"), 25000);
  Level2Frame frame(&status);
  EXPECT_TRUE(port.ReceiveWithAck(frame, 30000));
  EXPECT_EQ(ToHex(frame.Data(), static_cast<size_t>(frame.length)), "1D 16 04 00 00 00 11");
  ASSERT_EQ(device->Writes().size(), 1u);  // empty frames and bad frames get no answer
  EXPECT_EQ(ToHex(device->Writes()[0].bytes), "DB FF FF BC");
  EXPECT_EQ(device->Writes()[0].AtMs(), 25000u);
  EXPECT_EQ(NowMs(), 25030u);

  // The pause comes whatever the acknowledgement's fate, and the send's result is returned.
  device->Deliver(Wire(Hex("1D 16 00")));
  device->ShortWriteNext(1);
  EXPECT_FALSE(port.ReceiveWithAck(frame, 30000));
  EXPECT_EQ(status.ErrorText(), "Failed to write full message to serial port");
  EXPECT_EQ(NowMs(), 25060u);
}

TEST_F(FrameExchange, ReceiveWithAckWaitsTheWholeTimeOutForAReply) {
  ASSERT_TRUE(port.Open("COM1", 9600));
  Level2Frame frame(&status);
  EXPECT_FALSE(port.ReceiveWithAck(frame, 30000));
  ExpectError(3, "Failed to receive frame from radio");
  EXPECT_EQ(NowMs(), 30000u);

  EXPECT_FALSE(port.ReceiveWithAck(frame, 9));
  ExpectError(4, "Failed to receive frame");
  EXPECT_EQ(NowMs(), 30000u);
}

}  // namespace
}  // namespace p25::test
