#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "images/Catalogue.h"
#include "images/VersionArea.h"
#include "platform/CurrentDirectory.h"

namespace p25 {
namespace {

using test::DatText;
using test::ResourcesWithout;
using test::TempFile;

// One small image (a single word at the slot's address) and one signature for every slot.
const test::MemoryResources& CompleteSet() {
  static const test::MemoryResources set = [] {
    test::MemoryResources resources;
    for (const SlotInfo& info : kSlotTable) {
      resources.Add("DATFILE", info.imageResourceId, DatText({"8000", "0000", "0001", "0000", "1234"}));
      resources.Add("SGNFILE", info.signatureResourceId, std::string(20, 's'));
    }
    return resources;
  }();
  return set;
}

// A catalogue loaded as at start-up, over the complete set less the chosen resources.
struct StartedCatalogue {
  StartedCatalogue(std::set<uint16_t> missingImages, std::set<uint16_t> missingSignatures,
                   CarriedVersions versions = {})
      : resources(CompleteSet(), std::move(missingImages), std::move(missingSignatures)),
        catalogue(resources, std::move(versions)) {
    catalogue.LoadAll();
    area = DescribeVersionArea(catalogue);
  }
  ResourcesWithout resources;
  ImageCatalogue catalogue;
  VersionArea area;
};

bool AnyPathShown(const VersionArea& area) {
  return std::any_of(area.paths.begin(), area.paths.end(), [](const VersionArea::Line& path) { return path.shown; });
}

TEST(Catalogue, ShowsOneLinePerFamilyWithTheCarriedVersions) {
  StartedCatalogue started({}, {});
  for (const SlotInfo& info : kSlotTable) {
    EXPECT_NE(started.catalogue.Image(info.slot).Module(), nullptr) << info.name;
    EXPECT_NE(started.catalogue.Signature(info.slot).Signature(), nullptr) << info.name;
  }
  EXPECT_TRUE(started.catalogue.AvailabilityMessages().empty());
  const VersionArea& area = started.area;
  for (const auto& [family, version] : {std::pair{area.family503, "8.3"}, std::pair{area.family501, "5.13"}}) {
    EXPECT_EQ(family.controlCaption, "S/W Version");
    EXPECT_TRUE(family.control.shown);
    EXPECT_EQ(family.control.text, version);
    EXPECT_FALSE(family.dspCaptionShown);
    EXPECT_FALSE(family.dsp.shown);
  }
  EXPECT_FALSE(area.flash.shown);
  EXPECT_FALSE(AnyPathShown(area));
}

TEST(Catalogue, ShowsTheDspRowOfAFamilyWhoseVersionHasAPatch) {
  CarriedVersions versions;
  versions.family503 = "8.3.1";
  StartedCatalogue started({}, {}, versions);
  const VersionArea::Family& family503 = started.area.family503;
  EXPECT_EQ(family503.controlCaption, "Control S/W Version");
  EXPECT_EQ(family503.control.text, "8.3.1");
  EXPECT_EQ(family503.dsp.text, "8.3.1");
  EXPECT_TRUE(family503.dspCaptionShown);
  EXPECT_TRUE(family503.dsp.shown);
  // The other family keeps its single line.
  EXPECT_EQ(started.area.family501.controlCaption, "S/W Version");
  EXPECT_FALSE(started.area.family501.dsp.shown);
}

TEST(Catalogue, ReportsWhatIsMissingInItsOrder) {
  struct Case {
    const char* what;
    std::set<uint16_t> missingImages;
    std::set<uint16_t> missingSignatures;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"flash signature", {}, {101}, {"FLASH Signature unavailable", "Flash Signature unavailable"}},
      {"flash signature hides the program checks",
       {152, 131, 164, 133, 176},
       {101},
       {"FLASH Signature unavailable", "Flash Signature unavailable"}},
      {"flash image", {145}, {}, {"FLASH program unavailable"}},
      {"only controlA image", {131}, {}, {}},
      {"every CONTROL image", {152, 131, 164}, {}, {"CONTROL program unavailable"}},
      {"every CONTROL and DSP image", {152, 131, 164, 133, 176}, {}, {"CONTROL program unavailable"}},
      {"every DSP image", {133, 176}, {}, {"DSP program unavailable"}},
      {"controlB image and signature", {152}, {102}, {}},
      {"controlA signature without its image", {131}, {103}, {}},
      {"every family signature",
       {},
       {103, 102, 104, 185, 186},
       {"CONTROLA Signature unavailable", "CONTROLB Signature unavailbale", "DSP Signature unavailable",
        "501 Control Signature unavailable", "501 DSP Signature unavailable"}},
      {"everything",
       {145, 131, 152, 133, 164, 176},
       {101, 103, 102, 104, 185, 186},
       {"FLASH program unavailable", "FLASH Signature unavailable", "Flash Signature unavailable"}},
  };
  for (const Case& c : cases) {
    StartedCatalogue started(c.missingImages, c.missingSignatures);
    EXPECT_EQ(started.catalogue.AvailabilityMessages(), c.messages) << c.what;
  }
}

TEST(Catalogue, HidesTheRowsOfMissingControlImages) {
  StartedCatalogue withoutA({131}, {});
  EXPECT_FALSE(withoutA.area.family503.control.shown);
  EXPECT_FALSE(withoutA.area.paths[static_cast<size_t>(SlotName::ControlA)].shown);

  StartedCatalogue without501({164}, {});
  EXPECT_FALSE(without501.area.family501.control.shown);
  EXPECT_TRUE(without501.area.family503.control.shown);
}

TEST(Catalogue, ChoosesTheFamilyByBitZeroAndStartsWithItsFirstPresentImage) {
  struct Case {
    uint32_t features;
    std::set<uint16_t> missingImages;
    ImageFamily family;
    std::optional<SlotName> first;
  };
  const Case cases[] = {
      {1, {}, ImageFamily::Family503, SlotName::ControlA},
      {3, {}, ImageFamily::Family503, SlotName::ControlA},
      {0xFFFFFFFF, {}, ImageFamily::Family503, SlotName::ControlA},
      {0, {}, ImageFamily::Family501, SlotName::Control},
      {2, {}, ImageFamily::Family501, SlotName::Control},
      {1, {131}, ImageFamily::Family503, SlotName::ControlB},
      {1, {131, 152}, ImageFamily::Family503, SlotName::Dsp},
      {0, {164}, ImageFamily::Family501, SlotName::Dsp501},
      {1, {131, 152, 133}, ImageFamily::Family503, std::nullopt},
      {0, {164, 176}, ImageFamily::Family501, std::nullopt},
  };
  for (const Case& c : cases) {
    StartedCatalogue started(c.missingImages, {});
    const FamilySelection selection = started.catalogue.SelectImageFamily(c.features);
    EXPECT_EQ(selection.family, c.family) << c.features;
    EXPECT_EQ(selection.first, c.first) << c.features;
  }
}

TEST(Catalogue, HidesTheOtherFamilysLinesWhileOneIsInstalled) {
  CarriedVersions versions;
  versions.family501 = "5.13.2";
  StartedCatalogue started({}, {}, versions);
  const VersionArea installing503 = DescribeVersionArea(started.catalogue, ImageFamily::Family503);
  EXPECT_TRUE(installing503.family503.control.shown);
  EXPECT_FALSE(installing503.family501.control.shown);
  EXPECT_FALSE(installing503.family501.dsp.shown);
  // Its captions stay.
  EXPECT_TRUE(installing503.family501.dspCaptionShown);
  EXPECT_EQ(installing503.family501.controlCaption, "Control S/W Version");

  const VersionArea installing501 = DescribeVersionArea(started.catalogue, ImageFamily::Family501);
  EXPECT_FALSE(installing501.family503.control.shown);
  EXPECT_TRUE(installing501.family501.control.shown);
  EXPECT_TRUE(installing501.family501.dsp.shown);
}

TEST(Catalogue, KeepsDiskPathsInTheCurrentDirectory) {
  StartedCatalogue started({}, {});
  const std::string folder = CurrentDirectory() + PathSeparator();
  EXPECT_EQ(started.catalogue.Image(SlotName::ControlA).Path(), folder + "controlA.dat");
  EXPECT_EQ(started.catalogue.Signature(SlotName::Dsp501).Path(), folder + "dsp501.sgn");
}

TEST(Catalogue, LoadsAFolderAndReadsItsFilesAfreshOnEachReload) {
  TempFile flash("flash.dat", DatText({"0000", "0010", "0001", "0000", "1111"}));
  const std::string folder = flash.Folder();
  std::ofstream(folder + "/flash.sgn", std::ios::binary) << std::string(20, 's');
  const test::MemoryResources noResources;
  ImageCatalogue catalogue(noResources);
  const std::vector<std::string> problems = catalogue.LoadAllFromFolder(folder);
  ASSERT_EQ(problems.size(), 10u);
  EXPECT_EQ(problems.front(), "Failed to load " + folder + PathSeparator() + "controlB.dat");
  EXPECT_EQ(DescribeVersionArea(catalogue).family503.control.text, "8.3");

  ImageSlot& slot = catalogue.Image(SlotName::Flash);
  ASSERT_NE(slot.Module(), nullptr);
  EXPECT_TRUE(slot.Module()->IsFileBacked());
  EXPECT_EQ(slot.Path(), folder + PathSeparator() + "flash.dat");
  std::string error;
  std::ofstream(slot.Path(), std::ios::binary) << DatText({"8000", "0000", "0001", "0000", "2222"});
  EXPECT_TRUE(slot.SlotReload(error));
  EXPECT_EQ(slot.Module()->StartAddress(), 0x10000u);
  // An image read from a file shows its path.
  const VersionArea::Line flashPath = DescribeVersionArea(catalogue).paths[static_cast<size_t>(SlotName::Flash)];
  EXPECT_TRUE(flashPath.shown);
  EXPECT_EQ(flashPath.text, slot.Path());
  // A reload that fails keeps the image it had.
  std::filesystem::remove(slot.Path());
  EXPECT_FALSE(slot.SlotReload(error));
  EXPECT_EQ(error, "Failed to load " + slot.Path());
  EXPECT_EQ(slot.Module()->StartAddress(), 0x10000u);
  EXPECT_TRUE(catalogue.Signature(SlotName::Flash).SlotReload(error));
}

TEST(Versions, TrimAndRecogniseZeroPatchVersions) {
  struct Case {
    const char* first;
    const char* second;
    bool zeroPatch;
    const char* trimmed;
  };
  const Case cases[] = {
      {"8.3.0", "8.3.0", true, "8.3"},    {"5.13.0", "5.13.0", true, "5.13"},
      {"8.3.1", "8.3.1", false, "8.3"},   {"8.3.0", "8.3.1", false, "8.3"},
      {"8.3", "8.3", false, "8.3"},       {"7", "7", false, "7"},
      {"1.2", "1.2", false, "1.2"},       {"", "", false, ""},
      {"8.3.0x", "8.3.0x", false, "8.3"}, {"a.b.0", "a.b.0", false, "a.b"},
      {"1..0", "1..0", false, "1."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsZeroPatchVersion(c.first, c.second), c.zeroPatch) << c.first << " " << c.second;
    EXPECT_EQ(TrimVersion(c.first), c.trimmed) << c.first;
  }
}

}  // namespace
}  // namespace p25
