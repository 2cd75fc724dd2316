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
using test::MemoryResources;

constexpr uint16_t kId = 131;

// An image of words 0x0000, 0x0001, ... with the given header lines.
std::string CountingImage(const std::string& addressLow, const std::string& addressHigh, uint32_t words) {
  char line[8];
  std::snprintf(line, sizeof line, "%04x", words & 0xFFFF);
  std::vector<std::string> lines = {addressLow, addressHigh, line};
  std::snprintf(line, sizeof line, "%04x", words >> 16);
  lines.push_back(line);
  for (uint32_t i = 0; i < words; ++i) {
    std::snprintf(line, sizeof line, "%04x", i & 0xFFFF);
    lines.push_back(line);
  }
  return DatText(lines);
}

class LoadModuleTest : public ::testing::Test {
protected:
  // Loads text as the image with id kId; the text stays alive in the resources.
  std::unique_ptr<LoadModule> Load(std::string text) {
    resources_.Add("DATFILE", kId, std::move(text));
    std::string error;
    return CreateResourceModule(kId, "CONTROLA", error, resources_);
  }

  MemoryResources resources_;
};

TEST_F(LoadModuleTest, HandsOutA2048WordImageIn17BlocksAtTheirAddresses) {
  auto module = Load(CountingImage("8000", "0000", 2048));
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->StartAddress(), 0x10000u);
  EXPECT_EQ(module->TotalWords(), 2048u);

  std::array<uint8_t, 246> buffer{};
  uint32_t address = 0;
  for (int block = 0; block < 16; ++block) {
    ASSERT_EQ(module->ReadBlock(buffer.data(), 246, address), 246) << "block " << block;
    EXPECT_EQ(address, 0x10000u + 246u * static_cast<uint32_t>(block));
    // Word i holds i, high byte first.
    const int firstWord = 123 * block;
    EXPECT_EQ(buffer[0], static_cast<uint8_t>(firstWord >> 8));
    EXPECT_EQ(buffer[1], static_cast<uint8_t>(firstWord));
  }
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 160);
  EXPECT_EQ(address, 0x10F60u);
  EXPECT_EQ(module->RemainingWords(), 0u);
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 0);
  EXPECT_EQ(address, 0x11000u);
  EXPECT_EQ(module->RemainingWords(), 0u);
}

TEST_F(LoadModuleTest, DecodesHeaderAddressesAndCounts) {
  struct Case {
    std::vector<std::string> header;
    uint32_t startAddress;
    uint32_t totalWords;
  };
  const Case cases[] = {
      {{"8000", "0000", "0800", "0000"}, 0x10000u, 2048},
      {{"0000", "0010", "249a", "0000"}, 0x200000u, 9370},
      {{"0000", "0008", "0000", "0004"}, 0x100000u, 0x40000u},
      // The top bit of the word address has no place in a 32-bit byte address.
      {{"0001", "8000", "0000", "0000"}, 0x00000002u, 0},
      {{"ffff", "ffff", "ffff", "ffff"}, 0xFFFFFFFEu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    MemoryResources resources;
    resources.Add("DATFILE", kId, DatText(c.header));
    std::string error;
    auto module = CreateResourceModule(kId, "X", error, resources);
    ASSERT_NE(module, nullptr) << c.header[0] << c.header[1];
    EXPECT_EQ(module->StartAddress(), c.startAddress);
    EXPECT_EQ(module->CurrentAddress(), c.startAddress);
    EXPECT_EQ(module->TotalWords(), c.totalWords);
    EXPECT_EQ(module->RemainingWords(), c.totalWords);
  }
}

TEST_F(LoadModuleTest, DeliversEachWordHighByteFirstInEitherCase) {
  auto module = Load(DatText({"8000", "0000", "0003", "0000", "1234", "abcd", "7A07"}));
  ASSERT_NE(module, nullptr);
  std::array<uint8_t, 246> buffer{};
  uint32_t address = 0;
  ASSERT_EQ(module->ReadBlock(buffer.data(), 246, address), 6);
  EXPECT_EQ(address, 0x10000u);
  EXPECT_EQ((std::vector<uint8_t>(buffer.begin(), buffer.begin() + 6)),
            (std::vector<uint8_t>{0x12, 0x34, 0xAB, 0xCD, 0x7A, 0x07}));
}

TEST_F(LoadModuleTest, RefusesTextsWhoseHeaderDoesNotDecode) {
  const std::vector<std::string> header = {"8000", "0000", "0002", "0000"};
  for (size_t bad = 0; bad < header.size(); ++bad) {
    std::vector<std::string> lines = header;
    lines[bad] = "12g4";
    lines.push_back("1234");
    lines.push_back("5678");
    MemoryResources resources;
    resources.Add("DATFILE", kId, DatText(lines));
    std::string error;
    EXPECT_EQ(CreateResourceModule(kId, "DSP", error, resources), nullptr) << "header line " << bad;
    EXPECT_EQ(error, "Failed to load resource DSP");
  }
  // LF-only lines: the skip after the first word takes the LF and a digit, so the second word meets an LF.
  MemoryResources resources;
  resources.Add("DATFILE", kId, "8000\n0000\n0002\n0000\n1234\n5678\n");
  std::string error;
  EXPECT_EQ(CreateResourceModule(kId, "DSP", error, resources), nullptr);
  // Too short for a header.
  resources.Add("DATFILE", kId, "8000\r\n0000\r\n0002\r\n");
  EXPECT_EQ(CreateResourceModule(kId, "DSP", error, resources), nullptr);
}

TEST_F(LoadModuleTest, StopsABlockAtABadDataLineAndYieldsNothingMore) {
  auto module = Load(DatText({"8000", "0000", "0004", "0000", "1234", "12g4", "5678", "9abc"}));
  ASSERT_NE(module, nullptr);
  std::array<uint8_t, 246> buffer{};
  uint32_t address = 0;
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 2);
  EXPECT_EQ(module->RemainingWords(), 3u);
  // The cursor stands past "12g", so the next line is read out of step and fails too.
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 0);
  EXPECT_EQ(address, 0x10002u);
  EXPECT_GT(module->RemainingWords(), 0u);
}

TEST_F(LoadModuleTest, ATextShorterThanItsCountEndsWithWordsRemaining) {
  auto module = Load(DatText({"8000", "0000", "0005", "0000", "1111", "2222"}));
  ASSERT_NE(module, nullptr);
  std::array<uint8_t, 246> buffer{};
  uint32_t address = 0;
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 4);
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 0);
  EXPECT_EQ(module->RemainingWords(), 3u);
}

TEST_F(LoadModuleTest, YieldsTheLastWordWithoutAFinalLineEnd) {
  auto module = Load("8000\r\n0000\r\n0002\r\n0000\r\n1234\r\nabcd");
  ASSERT_NE(module, nullptr);
  std::array<uint8_t, 246> buffer{};
  uint32_t address = 0;
  ASSERT_EQ(module->ReadBlock(buffer.data(), 246, address), 4);
  EXPECT_EQ(buffer[2], 0xAB);
  EXPECT_EQ(buffer[3], 0xCD);
  EXPECT_EQ(module->RemainingWords(), 0u);
}

TEST_F(LoadModuleTest, NeverReturnsLinesPastTheCount) {
  auto module = Load(DatText({"8000", "0000", "0001", "0000", "1234", "5678", "9abc"}));
  ASSERT_NE(module, nullptr);
  std::array<uint8_t, 246> buffer{};
  uint32_t address = 0;
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 2);
  EXPECT_EQ(module->ReadBlock(buffer.data(), 246, address), 0);
  EXPECT_EQ(address, 0x10002u);
}

TEST_F(LoadModuleTest, TakesAtMostHalfTheCapacityInWords) {
  struct Case {
    int capacity;
    int bytes;
  };
  for (const Case c : {Case{0, 0}, Case{1, 0}, Case{-4, 0}, Case{2, 2}, Case{7, 6}, Case{8, 8}}) {
    auto module = Load(CountingImage("8000", "0000", 10));
    ASSERT_NE(module, nullptr);
    std::array<uint8_t, 16> buffer;
    buffer.fill(0xEE);
    uint32_t address = 0;
    EXPECT_EQ(module->ReadBlock(buffer.data(), c.capacity, address), c.bytes) << "capacity " << c.capacity;
    EXPECT_EQ(address, 0x10000u);
    EXPECT_EQ(module->RemainingWords(), 10u - static_cast<uint32_t>(c.bytes / 2));
    EXPECT_EQ(module->CurrentAddress(), 0x10000u + static_cast<uint32_t>(c.bytes));
    // Nothing past the bytes returned is touched, not even the odd last byte of the capacity.
    EXPECT_EQ(buffer[static_cast<size_t>(c.bytes)], 0xEE);
  }
}

TEST_F(LoadModuleTest, RewindStartsTheImageAgain) {
  auto module = Load(CountingImage("8000", "0000", 300));
  ASSERT_NE(module, nullptr);
  std::array<uint8_t, 246> first{};
  std::array<uint8_t, 246> again{};
  uint32_t address = 0;
  ASSERT_EQ(module->ReadBlock(first.data(), 246, address), 246);
  ASSERT_EQ(module->ReadBlock(again.data(), 100, address), 100);
  ASSERT_TRUE(module->Rewind());
  EXPECT_EQ(module->RemainingWords(), 300u);
  EXPECT_EQ(module->CurrentAddress(), 0x10000u);
  ASSERT_EQ(module->ReadBlock(again.data(), 246, address), 246);
  EXPECT_EQ(address, 0x10000u);
  EXPECT_EQ(first, again);
}

TEST_F(LoadModuleTest, ResourceLoadNeedsTheImageType) {
  resources_.Add("SGNFILE", kId, DatText({"8000", "0000", "0000", "0000"}));
  std::string error;
  EXPECT_EQ(CreateResourceModule(kId, "CONTROLB", error, resources_), nullptr);
  EXPECT_EQ(error, "Failed to load resource CONTROLB");
}

}  // namespace
}  // namespace p25
