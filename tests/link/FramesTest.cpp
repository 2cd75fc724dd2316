#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "link/Crc16.h"
#include "support/Wire.h"

namespace p25::test {
namespace {

TEST(Framing, CrcIsCrc16GsmAndEachMessageHasItsLineBytesBothWays) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCE3C);
  const struct {
    const char *message, *line;
  } vectors[] = {
      {"", "DB FF FF BC"},
      {"1A 11 04 00 00 4B 00", "DB 1A 11 04 00 00 4B 00 3C DE BC"},
      {"1D 11 04 00 00 00 11", "DB 1D 11 04 00 00 00 11 F6 02 CD BC"},
      {"17 11 08 00 DB 00 00 00 01 00 00", "DB 17 11 08 00 01 CD 00 00 00 01 00 00 6C 22 BC"},
      {"1D 15 00", "DB 1D 15 00 02 4B BC"},
      {"1D 16 04 00 00 00 11", "DB 1D 16 04 00 00 00 11 3E FD BC"},
      {"14 14 00", "DB 14 14 00 AF EB BC"},
      {"17 14 00", "DB 17 14 00 F6 BB BC"},
      {"CD DB BC", "DB 00 CD 01 CD 02 CD 34 D3 BC"},
  };
  for (const auto& v : vectors) {
    EXPECT_EQ(ToHex(Wire(Hex(v.message))), v.line);
    EXPECT_EQ(Message(Hex(v.line)), Hex(v.message)) << v.line;
  }
  // Chosen so that the CRC (BC CD) is reserved too: every byte of a full frame is escaped.
  Bytes full(251, 0xCD);
  for (uint8_t b : {0xDB, 0xBC, 0xDB, 0xDB, 0xDB, 0xDB, 0xDB}) full.push_back(b);
  EXPECT_EQ(Wire(full).size(), 522u);
  EXPECT_EQ(Message(Wire(full)), full);
}

// Head bytes, a run of filler bytes, tail bytes.
Bytes Line(const char* head, size_t filler = 0, const char* tail = "") {
  Bytes line = Hex(head), end = Hex(tail);
  line.insert(line.end(), filler, 0x11);
  line.insert(line.end(), end.begin(), end.end());
  return line;
}

TEST(Framing, RejectsMalformedReceiveFramesWithTheirOwnError) {
  const struct {
    Bytes line;
    uint32_t code;
    const char* text;
  } cases[] = {
      {Line("DB CD 11 FF FF BC"), 9, "Invalid escape position on Level 1 receive frame"},
      {Line("DB 00 CD CD BC"), 9, "Invalid escape sequence on Level 1 receive frame"},
      {Line("DB 11 03 CD BC"), 9, "Invalid escape sequence on Level 1 receive frame"},
      {Line("11 DB FF FF BC"), 9, "No start byte on Level 1 receive frame"},
      {Line("DB FF FF"), 9, "No end byte on Level 1 receive frame"},
      {Line("DB", 521, "BC"), 9, "Level 1 receive frame too long"},
      {Line("DB", 261, "BC"), 7, "Invalid length on level 2 receive frame"},
      {Line("DB BC"), 7, "Invalid length on level 2 receive frame"},
      {Line("DB 11 BC"), 7, "Invalid length on level 2 receive frame"},
      {Line("DB 1D 15 00 02 4C BC"), 7, "Invalid CRC on receive frame"},
  };
  for (const auto& c : cases) {
    LinkStatus status;
    Level1Frame level1(&status);
    std::copy_n(c.line.begin(), std::min<size_t>(c.line.size(), kLevel1Capacity), level1.Data());
    level1.length = static_cast<int>(c.line.size());
    Level2Frame level2(&status);
    EXPECT_FALSE(level1.Decode(level2) && level2.CheckCrc());
    EXPECT_EQ(status.ErrorCode(), c.code) << ToHex(c.line).substr(0, 24);
    EXPECT_EQ(status.ErrorText(), c.text) << ToHex(c.line).substr(0, 24);
  }
}

TEST(Framing, TransmitFramesStopAtTheLevel2Capacity) {
  LinkStatus status;
  Level2Frame level2(&status);
  Level1Frame level1(&status);
  level2.length = 258;
  EXPECT_TRUE(level2.AppendCrc() && level1.Encode(level2));
  level2.length = 259;
  EXPECT_FALSE(level2.AppendCrc());
  EXPECT_EQ(status.LastError(), "Invalid transmit message");
  level2.length = 261;
  EXPECT_FALSE(level1.Encode(level2));
  EXPECT_EQ(status.LastError(), "Level 2 transmit frame too long");
}

}  // namespace
}  // namespace p25::test
