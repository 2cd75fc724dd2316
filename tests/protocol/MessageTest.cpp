#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "protocol/MessageChannel.h"
#include "protocol/Messages.h"
#include "support/ScriptedDevice.h"
#include "support/Wire.h"

namespace p25::test {
namespace {

enum class Check { Command, Query, Progress, Optional };

// A message of each kind of reply check, with the reply placed in its receive frame.
std::unique_ptr<RadioMessage> Judged(Check check, LinkStatus& status, uint32_t& value, const Bytes& reply) {
  std::unique_ptr<RadioMessage> message;
  switch (check) {
    case Check::Command: message = std::make_unique<ChangeBaudRateMessage>(status, 19200); break;
    case Check::Query: message = std::make_unique<ReadSerialNumberMessage>(status, value); break;
    case Check::Progress: message = std::make_unique<EraseFlashMessage>(status, 0, 0x1000); break;
    case Check::Optional: message = std::make_unique<ConfirmedRebootMessage>(status); break;
  }
  std::copy(reply.begin(), reply.end(), message->ReceiveFrame().Data());
  message->ReceiveFrame().length = static_cast<int>(reply.size());
  return message;
}

TEST(ReplyJudgement, EachCheckAcceptsRefusesOrWaitsOnAsTheReplyTypeSays) {
  const char* const negative = "Negative confirmation received from radio";
  const char* const badType = "Unexpected message type received from radio";
  const char* const badId = "Unexpected message Id received from radio";
  const char* const badVersion = "Unexpected message version received from radio";
  const struct {
    Check check;
    const char* reply;
    bool result, done;
    const char* text;
  } cases[] = {
      {Check::Command, "1A 12 00", true, true, ""},
      {Check::Command, "1A 13 00", false, true, negative},
      {Check::Command, "1A 16 04 00 00 00 01", false, true, badType},
      {Check::Command, "1A 14 00", false, true, badType},
      {Check::Command, "1B 12 00", false, true, badId},
      {Check::Command, "1A 22 00", false, true, badVersion},
      {Check::Query, "1D 16 04 00 00 00 11", true, true, ""},
      {Check::Query, "1D 17 00", false, true, negative},
      {Check::Query, "1D 12 00", false, true, badType},
      {Check::Query, "1D 16 02 00 11", false, true, "Invalid parameters received from radio"},
      {Check::Progress, "17 14 00", true, false, ""},
      {Check::Progress, "17 12 00", true, true, ""},
      {Check::Progress, "17 13 00", false, true, negative},
      {Check::Progress, "18 14 00", false, true, badId},
      {Check::Optional, "34 14 00", true, false, ""},
      {Check::Optional, "34 12 00", true, true, ""},
      {Check::Optional, "34 13 00", false, true, ""},
      {Check::Optional, "34 24 00", false, true, badVersion},
  };
  for (const auto& c : cases) {
    LinkStatus status;
    uint32_t value = 0;
    auto message = Judged(c.check, status, value, Hex(c.reply));
    bool done = false;
    const bool result =
        c.check == Check::Query ? message->CheckQueryResponse(done) : message->CheckConfirmation(done);
    EXPECT_EQ(result, c.result) << c.reply;
    EXPECT_EQ(done, c.done) << c.reply;
    EXPECT_EQ(status.ErrorText(), c.text) << c.reply;
    EXPECT_EQ(status.ErrorCode(), *c.text ? 5u : 0u) << c.reply;
  }
  EXPECT_EQ(FormatEsn(0x12345, 7), "123450007");  // more than four digits when a value needs them
}

TEST(RequestBuilding, BlockFillsTheFrameExactlyAt250DataBytesAndRefusesMore) {
  LinkStatus status;
  const Bytes data(251, 0xA5);
  WriteFlashMessage full(status, 0x00012345, 250, data.data()), over(status, 0, 251, data.data());
  ASSERT_TRUE(full.BuildRequest(MessageType::Command) && full.TransmitFrame().AppendCrc());
  EXPECT_EQ(full.TransmitFrame().length, 260);
  EXPECT_EQ(ToHex(full.TransmitFrame().Data(), 9), "18 11 FF 00 01 23 45 FA A5");
  EXPECT_FALSE(over.BuildRequest(MessageType::Command));
  EXPECT_EQ(status.ErrorCode(), 6u);
  EXPECT_EQ(status.ErrorText(), "Too much data for message");
}

// Exchanges over a scripted radio.

class Exchange : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(channel.Port().Open("COM1", 9600)); }

  VirtualClock clock;
  LinkStatus status;
  ScriptedDevice* radio = new ScriptedDevice(clock);  // owned by the channel
  MessageChannel channel{status, std::unique_ptr<SerialDevice>(radio), clock};
};

TEST_F(Exchange, QueryRunsOnTheLineAsRequestAcknowledgementReplyAcknowledgement) {
  radio->AfterNextWrite({{kAck, 5}, {Hex("DB 1D 16 04 00 00 00 11 3E FD BC"), 100}});
  uint32_t serial = 0;
  ReadSerialNumberMessage message(status, serial);
  EXPECT_TRUE(channel.RunQuery(message));
  EXPECT_EQ(serial, 17u);
  ASSERT_EQ(radio->Writes().size(), 2u);
  EXPECT_EQ(ToHex(radio->Writes()[0].bytes), "DB 1D 15 00 02 4B BC");
  EXPECT_EQ(ToHex(radio->Writes()[1].bytes), "DB FF FF BC");
  EXPECT_EQ(radio->Writes()[1].AtMs(), 100u);
  EXPECT_EQ(clock.ElapsedMs(), 130u);
}

TEST_F(Exchange, EachProgressNoticeIsAcknowledgedAndStartsAFresh30SecondWait) {
  const Bytes notice = Hex("DB 17 14 00 F6 BB BC");
  radio->AfterNextWrite({{kAck},
                         {notice, 29000},
                         {notice, 58000},
                         {Hex("DB 17 12 00 5C 1D BC"), 87000}});
  EraseFlashMessage erase(status, 0x10000, 0x20000);
  EXPECT_TRUE(channel.RunCommand(erase));
  ASSERT_EQ(radio->Writes().size(), 4u);
  for (size_t i = 1; i < 4; ++i) EXPECT_EQ(radio->Writes()[i].bytes, kAck);
  EXPECT_EQ(radio->Writes()[3].AtMs(), 87000u);

  // A notice followed by silence ends 30 s after the wait that followed it began.
  radio->AfterNextWrite({{kAck}, {notice, 10000}});
  const uint64_t start = clock.ElapsedMs();
  EraseFlashMessage again(status, 0x10000, 0x20000);
  EXPECT_FALSE(channel.RunCommand(again));
  EXPECT_EQ(status.ErrorText(), "Failed to receive frame from radio");
  EXPECT_EQ(clock.ElapsedMs() - start, 10000u + 30u + 30000u);
}

}  // namespace
}  // namespace p25::test
