#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "PlaceholderSignature.h"
#include "images/Catalogue.h"
#include "images/LoadModule.h"
#include "images/ModuleSignature.h"

namespace p25 {
namespace {

#ifdef P25_PLACEHOLDER_FIRMWARE

struct NullDisplay final : CatalogueDisplay {
  void ShowControl(int, bool) override {}
  void SetControlText(int, const std::string&) override {}
  void ShowMessage(const std::string&) override {}
};

// The generated set must read back through ReadBlock exactly as the simulated radio will check it.
TEST(EmbeddedPlaceholderSet, EveryImageMatchesItsSignatureWhenReadInBlocks) {
  for (const SlotInfo& info : kSlotTable) {
    std::string error;
    auto module = CreateResourceModule(info.imageResourceId, info.name, error);
    auto signature = CreateResourceSignature(info.signatureResourceId, info.name, error);
    ASSERT_NE(module, nullptr) << info.name;
    ASSERT_NE(signature, nullptr) << info.name;

    placeholder::ImageSigner signer(module->StartAddress());
    std::array<uint8_t, 246> block{};
    uint32_t address = 0;
    uint32_t expectedAddress = module->StartAddress();
    for (int n; (n = module->ReadBlock(block.data(), 246, address)) > 0;
         expectedAddress += static_cast<uint32_t>(n)) {
      ASSERT_EQ(address, expectedAddress) << info.name;
      signer.Update(block.data(), static_cast<size_t>(n));
    }
    EXPECT_EQ(module->RemainingWords(), 0u) << info.name;
    std::array<uint8_t, 20> stored{};
    ASSERT_TRUE(signature->ReadBytes(stored.data(), 20));
    EXPECT_EQ(signer.Finish(), stored) << info.name;
  }
}

// With the placeholder set every slot loads, with the header values of the carried images.
TEST(EmbeddedPlaceholderSet, FillsEverySlotWithTheCarriedHeaders) {
  struct Expected {
    SlotName slot;
    uint32_t startAddress;
    uint32_t words;
  };
  const Expected expected[] = {
      {SlotName::Flash, 0x200000, 9370},      {SlotName::ControlA, 0x10000, 2048},
      {SlotName::ControlB, 0x100000, 268288}, {SlotName::Dsp, 0xC0000, 100544},
      {SlotName::Control, 0x10000, 229376},   {SlotName::Dsp501, 0xC0000, 80692},
  };
  NullDisplay display;
  ImageCatalogue catalogue(display);
  catalogue.LoadAll();
  EXPECT_TRUE(catalogue.AvailabilityMessages().empty());
  for (const Expected& e : expected) {
    const LoadModule* module = catalogue.Image(e.slot).Module();
    ASSERT_NE(module, nullptr) << catalogue.Image(e.slot).Name();
    EXPECT_EQ(module->StartAddress(), e.startAddress);
    EXPECT_EQ(module->TotalWords(), e.words);
    EXPECT_NE(catalogue.Signature(e.slot).Signature(), nullptr);
  }
}

TEST(EmbeddedPlaceholderSet, IsLowerCaseHexLinesEndingCrLf) {
  for (const SlotInfo& info : kSlotTable) {
    std::string error;
    auto module = CreateResourceModule(info.imageResourceId, info.name, error);
    ASSERT_NE(module, nullptr) << info.name;
    const std::string_view text(module->Data(), module->Size());
    ASSERT_EQ(text.size(), (4 + size_t{module->TotalWords()}) * 6) << info.name;
    for (size_t line = 0; line < text.size(); line += 6) {
      for (size_t i = 0; i < 4; ++i) {
        const char c = text[line + i];
        ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << info.name << " line " << line / 6;
      }
      ASSERT_EQ(text.substr(line + 4, 2), "\r\n") << info.name << " line " << line / 6;
    }
  }
}

#endif

// Whatever set was embedded, the loaded image points into it rather than at a copy.
TEST(EmbeddedSet, ImagesAreUsedWhereTheyLie) {
  ResourceBytes bytes;
  if (!EmbeddedResources().Find("DATFILE", 131, bytes)) GTEST_SKIP() << "controlA is not embedded";
  std::string error;
  auto module = CreateResourceModule(131, "CONTROLA", error);
  if (module == nullptr) GTEST_SKIP() << "controlA does not load";
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(module->Data()), bytes.data);
  EXPECT_EQ(module->Size(), bytes.size);
}

}  // namespace
}  // namespace p25
