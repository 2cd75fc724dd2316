#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "PlaceholderSignature.h"
#include "images/Catalogue.h"

namespace p25 {
namespace {


bool IsLowerHexLineEndingCrLf(std::string_view line) {
  for (char c : line.substr(0, 4))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return line.substr(4) == "\r\n";
}

// The generated set loads into every slot with the carried header values, is written as the carried
// images are, and reads back through ReadBlock exactly as the simulated radio checks it.
TEST(EmbeddedPlaceholderSet, FillsEverySlotAndMatchesItsSignatures) {
  if (!P25_PLACEHOLDER_FIRMWARE) GTEST_SKIP() << "the build embeds a given set";
  const struct {
    SlotName slot;
    uint32_t startAddress;
    uint32_t words;
  } expected[] = {
      {SlotName::Flash, 0x200000, 9370},      {SlotName::ControlA, 0x10000, 2048},
      {SlotName::ControlB, 0x100000, 268288}, {SlotName::Dsp, 0xC0000, 100544},
      {SlotName::Control, 0x10000, 229376},   {SlotName::Dsp501, 0xC0000, 80692},
  };
  ImageCatalogue catalogue;
  catalogue.LoadAll();
  EXPECT_TRUE(catalogue.AvailabilityMessages().empty());
  for (const auto& e : expected) {
    const std::string& name = catalogue.Image(e.slot).Name();
    LoadModule* module = catalogue.Image(e.slot).Module();
    ModuleSignature* signature = catalogue.Signature(e.slot).Signature();
    ASSERT_NE(module, nullptr) << name;
    ASSERT_NE(signature, nullptr) << name;
    EXPECT_EQ(module->StartAddress(), e.startAddress) << name;
    EXPECT_EQ(module->TotalWords(), e.words) << name;

    const std::string_view text(module->Data(), module->Size());
    ASSERT_EQ(text.size(), (4 + size_t{e.words}) * 6) << name;
    for (size_t line = 0; line < text.size(); line += 6)
      ASSERT_TRUE(IsLowerHexLineEndingCrLf(text.substr(line, 6))) << name << " line " << line / 6;

    placeholder::ImageSigner signer(module->StartAddress());
    std::array<uint8_t, 246> block{};
    uint32_t address = 0;
    for (uint32_t expectedAddress = e.startAddress;; expectedAddress += 246) {
      const int n = module->ReadBlock(block.data(), 246, address);
      if (n == 0) break;
      ASSERT_EQ(address, expectedAddress) << name;
      signer.Update(block.data(), static_cast<size_t>(n));
    }
    EXPECT_EQ(module->RemainingWords(), 0u) << name;
    std::array<uint8_t, 20> stored{};
    ASSERT_TRUE(signature->ReadBytes(stored.data(), 20));
    EXPECT_EQ(signer.Finish(), stored) << name;
  }
}

// Whatever set was embedded, a loaded image reads the embedded bytes in place rather than a copy.
TEST(EmbeddedSet, ImagesAreUsedWhereTheyLie) {
  ResourceBytes bytes;
  std::string error;
  auto module = CreateResourceModule(131, "CONTROLA", error);
  if (module == nullptr || !EmbeddedResources().Find("DATFILE", 131, bytes)) GTEST_SKIP() << "no controlA";
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(module->Data()), bytes.data);
  EXPECT_EQ(module->Size(), bytes.size);
}

}  // namespace
}  // namespace p25
