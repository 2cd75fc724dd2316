#include "images/VersionArea.h"

#include <algorithm>

#include "images/Versions.h"

namespace p25 {

namespace {

bool InFamily(SlotName slot, ImageFamily family) {
  const auto order = ImageCatalogue::FamilyOrder(family);
  return std::find(order.begin(), order.end(), slot) != order.end();
}

VersionArea::Family DescribeFamily(const ImageCatalogue& catalogue, const std::string& version, SlotName control,
                                   SlotName dsp, bool hidden) {
  // A family whose images all carry a .0 version shows one line for all of them.
  const bool oneLine = IsZeroPatchVersion(version, version);
  VersionArea::Family family;
  family.controlCaption = oneLine ? "S/W Version" : "Control S/W Version";
  family.dspCaptionShown = !oneLine;
  family.control = {catalogue.HasImage(control) && !hidden, catalogue.Image(control).Version()};
  family.dsp = {!oneLine && !hidden, catalogue.Image(dsp).Version()};
  return family;
}

}  // namespace

VersionArea DescribeVersionArea(const ImageCatalogue& catalogue, std::optional<ImageFamily> installing) {
  const auto hidden = [&](ImageFamily family) { return installing && *installing != family; };
  const CarriedVersions& versions = catalogue.Versions();
  VersionArea area;
  area.family503 = DescribeFamily(catalogue, versions.family503, SlotName::ControlA, SlotName::Dsp,
                                  hidden(ImageFamily::Family503));
  area.family501 = DescribeFamily(catalogue, versions.family501, SlotName::Control, SlotName::Dsp501,
                                  hidden(ImageFamily::Family501));
  area.flash = {false, catalogue.Image(SlotName::Flash).Version()};
  for (const SlotInfo& info : kSlotTable) {
    const ImageSlot& image = catalogue.Image(info.slot);
    const bool familyHidden = (InFamily(info.slot, ImageFamily::Family503) && hidden(ImageFamily::Family503)) ||
                              (InFamily(info.slot, ImageFamily::Family501) && hidden(ImageFamily::Family501));
    // Only an image read from a file has a path worth showing.
    area.paths[static_cast<size_t>(info.slot)] = {image.FileBacked() && !familyHidden,
                                                  image.FileBacked() ? image.Path() : std::string()};
  }
  return area;
}

}  // namespace p25
