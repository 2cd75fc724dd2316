#include "images/Catalogue.h"

namespace p25 {

const std::array<SlotInfo, kSlotCount> kSlotTable = {{
    {SlotName::Flash, "flash", 145, 101},
    {SlotName::ControlA, "controlA", 131, 103},
    {SlotName::ControlB, "controlB", 152, 102},
    {SlotName::Dsp, "dsp", 133, 104},
    {SlotName::Control, "control", 164, 185},
    {SlotName::Dsp501, "dsp501", 176, 186},
}};

namespace {

constexpr SlotName kOrder503[] = {SlotName::ControlA, SlotName::ControlB, SlotName::Dsp};
constexpr SlotName kOrder501[] = {SlotName::Control, SlotName::Dsp501};

const SlotInfo& Info(SlotName slot) { return kSlotTable[static_cast<size_t>(slot)]; }

}  // namespace

ImageCatalogue::ImageCatalogue(const ResourceSource& resources, CarriedVersions versions)
    : versions_(std::move(versions)) {
  for (const SlotInfo& info : kSlotTable) {
    const size_t index = static_cast<size_t>(info.slot);
    images_[index] = std::make_unique<ImageSlot>(info.name, resources);
    signatures_[index] = std::make_unique<SignatureSlot>(info.name, resources);
  }
}

std::array<std::pair<SlotName, std::string>, kSlotCount> ImageCatalogue::LoadOrder() const {
  // The start-up's order, which is also the order in which files that did not load are reported.
  const std::string& v503 = versions_.family503;
  const std::string& v501 = versions_.family501;
  return {{
      {SlotName::Flash, versions_.flash},
      {SlotName::ControlB, v503},
      {SlotName::ControlA, IsZeroPatchVersion(v503, v503) ? TrimVersion(v503) : v503},
      {SlotName::Dsp, v503},
      {SlotName::Control, IsZeroPatchVersion(v501, v501) ? TrimVersion(v501) : v501},
      {SlotName::Dsp501, v501},
  }};
}

void ImageCatalogue::LoadAll() {
  for (const auto& [slot, version] : LoadOrder()) {
    Image(slot).SlotLoad(version, Info(slot).imageResourceId);
    Signature(slot).SlotLoad(Info(slot).signatureResourceId);
  }
}

std::vector<std::string> ImageCatalogue::LoadAllFromFolder(const std::string& folder) {
  std::vector<std::string> problems;
  for (const auto& [slot, version] : LoadOrder()) {
    std::string error;
    if (!Image(slot).SlotLoadFromFolder(version, folder, error)) problems.push_back(error);
    error.clear();
    if (!Signature(slot).SlotLoadFromFolder(folder, error)) problems.push_back(error);
  }
  return problems;
}

std::vector<std::string> ImageCatalogue::AvailabilityMessages() const {
  std::vector<std::string> messages;
  if (!HasImage(SlotName::Flash)) messages.emplace_back("FLASH program unavailable");
  if (!HasSignature(SlotName::Flash))
    messages.emplace_back("FLASH Signature unavailable");
  else if (!HasImage(SlotName::ControlA) && !HasImage(SlotName::ControlB) && !HasImage(SlotName::Control))
    messages.emplace_back("CONTROL program unavailable");
  else if (!HasImage(SlotName::Dsp) && !HasImage(SlotName::Dsp501))
    messages.emplace_back("DSP program unavailable");
  if (!HasSignature(SlotName::Flash)) messages.emplace_back("Flash Signature unavailable");
  const struct {
    SlotName slot;
    const char* text;
  } signatureChecks[] = {
      {SlotName::ControlA, "CONTROLA Signature unavailable"},
      {SlotName::ControlB, "CONTROLB Signature unavailbale"},
      {SlotName::Dsp, "DSP Signature unavailable"},
      {SlotName::Control, "501 Control Signature unavailable"},
      {SlotName::Dsp501, "501 DSP Signature unavailable"},
  };
  for (const auto& check : signatureChecks)
    if (HasImage(check.slot) && !HasSignature(check.slot)) messages.emplace_back(check.text);
  return messages;
}

std::span<const SlotName> ImageCatalogue::FamilyOrder(ImageFamily family) {
  if (family == ImageFamily::Family503) return kOrder503;
  return kOrder501;
}

FamilySelection ImageCatalogue::SelectImageFamily(uint32_t hwFeatures) const {
  FamilySelection selection;
  selection.family = FamilyOf(hwFeatures);
  for (SlotName slot : FamilyOrder(selection.family)) {
    if (HasImage(slot)) {
      selection.first = slot;
      break;
    }
  }
  return selection;
}

}  // namespace p25
