#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "images/LoadModule.h"

namespace p25 {
namespace {

using test::DatText;

// An image at byte address 0x10000 whose word i holds i, with one more line past the count.
std::string CountingImage(uint16_t words) {
  char line[8];
  std::snprintf(line, sizeof line, "%04x", words);
  std::vector<std::string> lines = {"8000", "0000", line, "0000"};
  for (uint16_t i = 0; i < words; ++i) {
    std::snprintf(line, sizeof line, "%04x", i);
    lines.push_back(line);
  }
  lines.push_back("ffff");
  return DatText(lines);
}

class LoadModuleTest : public ::testing::Test {
protected:
  std::unique_ptr<LoadModule> Load(std::string text) {
    resources_.Add("DATFILE", 131, std::move(text));
    std::string error;
    return CreateResourceModule(131, "CONTROLA", error, resources_);
  }

  test::MemoryResources resources_;
  std::array<uint8_t, 246> buffer_{};
  uint32_t address_ = 0;
};

TEST_F(LoadModuleTest, HandsOutA2048WordImageIn17BlocksAtTheirAddresses) {
  auto module = Load(CountingImage(2048));
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->StartAddress(), 0x10000u);
  EXPECT_EQ(module->TotalWords(), 2048u);
  for (uint32_t block = 0; block < 16; ++block) {
    ASSERT_EQ(module->ReadBlock(buffer_.data(), 246, address_), 246) << "block " << block;
    EXPECT_EQ(address_, 0x10000u + 246u * block);
    EXPECT_EQ(buffer_[0] << 8 | buffer_[1], static_cast<int>(123 * block));
  }
  EXPECT_EQ(module->ReadBlock(buffer_.data(), 246, address_), 160);
  EXPECT_EQ(address_, 0x10F60u);
  // The line past the count is never handed out.
  EXPECT_EQ(module->ReadBlock(buffer_.data(), 246, address_), 0);
  EXPECT_EQ(address_, 0x11000u);
  EXPECT_EQ(module->RemainingWords(), 0u);
}

TEST_F(LoadModuleTest, DecodesHeaderAddressesAndCounts) {
  const struct {
    std::vector<std::string> header;
    uint32_t startAddress;
    uint32_t totalWords;
  } cases[] = {
      {{"0000", "0010", "249a", "0000"}, 0x200000u, 9370},
      {{"0000", "0008", "0000", "0004"}, 0x100000u, 0x40000u},
      // The top bit of the word address has no place in a 32-bit byte address.
      {{"0001", "8000", "0000", "0000"}, 0x00000002u, 0},
      {{"ffff", "FFFF", "ffff", "ffff"}, 0xFFFFFFFEu, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) {
    auto module = Load(DatText(c.header));
    ASSERT_NE(module, nullptr) << c.header[0] << c.header[1];
    EXPECT_EQ(module->StartAddress(), c.startAddress);
    EXPECT_EQ(module->CurrentAddress(), c.startAddress);
    EXPECT_EQ(module->TotalWords(), c.totalWords);
    EXPECT_EQ(module->RemainingWords(), c.totalWords);
  }
}

TEST_F(LoadModuleTest, DeliversWordsHighByteFirstInEitherCaseUpToAnUnendedLastLine) {
  auto module = Load("8000\r\n0000\r\n0003\r\n0000\r\n1234\r\nabcd\r\n7A07");
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(module->ReadBlock(buffer_.data(), 246, address_), 6);
  EXPECT_EQ(address_, 0x10000u);
  EXPECT_EQ((std::vector<uint8_t>(buffer_.begin(), buffer_.begin() + 6)),
            (std::vector<uint8_t>{0x12, 0x34, 0xAB, 0xCD, 0x7A, 0x07}));
}

TEST_F(LoadModuleTest, RefusesTextsWhoseHeaderDoesNotDecode) {
  std::vector<std::string> texts;
  for (size_t bad = 0; bad < 4; ++bad) {
    std::vector<std::string> lines = {"8000", "0000", "0002", "0000", "1234", "5678"};
    lines[bad] = "12g4";
    texts.push_back(DatText(lines));
  }
  // LF-only lines: the skip after the first word takes the LF and a digit, so the second word meets an LF.
  texts.push_back("8000\n0000\n0002\n0000\n1234\n5678\n");
  texts.push_back("8000\r\n0000\r\n0002\r\n");
  for (const std::string& text : texts) {
    resources_.Add("DATFILE", 133, text);
    std::string error;
    EXPECT_EQ(CreateResourceModule(133, "DSP", error, resources_), nullptr) << text;
    EXPECT_EQ(error, "Failed to load resource DSP");
  }
}

TEST_F(LoadModuleTest, EndsTheImageEarlyAtABadDataLineOrTheEndOfText) {
  for (const char* bad : {"12g4", "12\r\n"}) {
    auto module = Load(DatText({"8000", "0000", "0004", "0000", "1234", bad, "5678"}));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->ReadBlock(buffer_.data(), 246, address_), 2) << bad;
    EXPECT_EQ(module->RemainingWords(), 3u);
    // The cursor stands inside the bad line, so what follows is read out of step, up to the end.
    while (module->ReadBlock(buffer_.data(), 246, address_) > 0) {
    }
    EXPECT_GT(module->RemainingWords(), 0u) << bad;
  }
}

TEST_F(LoadModuleTest, TakesAtMostHalfTheCapacityInWords) {
  for (const auto& [capacity, bytes] : {std::pair{0, 0}, {1, 0}, {-4, 0}, {2, 2}, {7, 6}, {8, 8}}) {
    auto module = Load(CountingImage(10));
    ASSERT_NE(module, nullptr);
    buffer_.fill(0xEE);
    EXPECT_EQ(module->ReadBlock(buffer_.data(), capacity, address_), bytes) << "capacity " << capacity;
    EXPECT_EQ(address_, 0x10000u);
    EXPECT_EQ(module->RemainingWords(), 10u - static_cast<uint32_t>(bytes / 2));
    EXPECT_EQ(module->CurrentAddress(), 0x10000u + static_cast<uint32_t>(bytes));
    // Nothing past the bytes returned is touched, not even the odd last byte of the capacity.
    EXPECT_EQ(buffer_[static_cast<size_t>(bytes)], 0xEE);
  }
}

TEST_F(LoadModuleTest, RewindStartsTheImageAgain) {
  auto module = Load(CountingImage(300));
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(module->ReadBlock(buffer_.data(), 246, address_), 246);
  const auto first = buffer_;
  ASSERT_EQ(module->ReadBlock(buffer_.data(), 100, address_), 100);
  ASSERT_TRUE(module->Rewind());
  EXPECT_EQ(module->RemainingWords(), 300u);
  ASSERT_EQ(module->ReadBlock(buffer_.data(), 246, address_), 246);
  EXPECT_EQ(address_, 0x10000u);
  EXPECT_EQ(buffer_, first);
}

}  // namespace
}  // namespace p25
