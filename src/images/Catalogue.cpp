#include "images/Catalogue.h"

namespace p25 {

const std::array<SlotInfo, kSlotCount> kSlotTable = {{
    {SlotName::Flash, "flash", 145, 101, kIdVersionFlash, kIdPathFlash},
    {SlotName::ControlA, "controlA", 131, 103, kIdVersion503Control, kIdPathControlA},
    {SlotName::ControlB, "controlB", 152, 102, kIdVersion503Control, kIdPathControlB},
    {SlotName::Dsp, "dsp", 133, 104, kIdVersion503Dsp, kIdPathDsp},
    {SlotName::Control, "control", 164, 185, kIdVersion501Control, kIdPathControl},
    {SlotName::Dsp501, "dsp501", 176, 186, kIdVersion501Dsp, kIdPathDsp501},
}};

namespace {

constexpr SlotName kOrder503[] = {SlotName::ControlA, SlotName::ControlB, SlotName::Dsp};
constexpr SlotName kOrder501[] = {SlotName::Control, SlotName::Dsp501};

const SlotInfo& Info(SlotName slot) { return kSlotTable[static_cast<size_t>(slot)]; }

}  // namespace

ImageCatalogue::ImageCatalogue(CatalogueDisplay& display, const ResourceSource& resources,
                               CarriedVersions versions)
    : display_(display),
      versions_(std::move(versions)),
      bound_{{{kIdVersionFlash, {}},
              {kIdVersion503Control, {}},
              {kIdVersion503Dsp, {}},
              {kIdVersion501Control, {}},
              {kIdVersion501Dsp, {}},
              {kIdPathFlash, {}},
              {kIdPathControlA, {}},
              {kIdPathControlB, {}},
              {kIdPathDsp, {}},
              {kIdPathControl, {}},
              {kIdPathDsp501, {}}}} {
  auto boundText = [this](int id) -> std::string& {
    for (BoundString& entry : bound_)
      if (entry.controlId == id) return entry.text;
    return bound_.front().text;  // unreachable: every slot's controls are bound above
  };
  for (const SlotInfo& info : kSlotTable) {
    const size_t index = static_cast<size_t>(info.slot);
    images_[index] = std::make_unique<ImageSlot>(info.name, info.versionLabelId, info.pathFieldId,
                                                 boundText(info.versionLabelId), boundText(info.pathFieldId),
                                                 display_, resources);
    signatures_[index] = std::make_unique<SignatureSlot>(info.name, resources);
  }
}

std::array<std::pair<SlotName, std::string>, kSlotCount> ImageCatalogue::LoadOrder() const {
  // controlA loads after controlB so that the label they share ends with controlA's text.
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

void ImageCatalogue::ApplyFamilyRows(const std::string& version, int controlCaption, int dspCaption,
                                     int dspVersion) {
  // A family whose images all carry a .0 version shows one line for all of them.
  if (IsZeroPatchVersion(version, version)) {
    display_.ShowControl(dspCaption, false);
    display_.ShowControl(dspVersion, false);
    display_.SetControlText(controlCaption, "S/W Version");
  } else {
    display_.ShowControl(dspCaption, true);
    display_.SetControlText(controlCaption, "Control S/W Version");
  }
}

void ImageCatalogue::ApplyVersionArea() {
  if (!HasImage(SlotName::ControlA)) {
    display_.ShowControl(kIdPathControlA, false);
    display_.ShowControl(kIdVersion503Control, false);
  }
  if (!HasImage(SlotName::ControlB)) display_.ShowControl(kIdPathControlB, false);
  display_.ShowControl(kIdGroup503, true);
  display_.ShowControl(kIdGroup501, true);
  // The FLASH code's version is never shown; the old captions give way to the family boxes.
  for (int id : {kIdCaptionControl1, kIdCaptionControl2, kIdCaptionDspUnnamed, kIdCaptionFlash,
                 kIdVersionFlash, kIdPathFlash})
    display_.ShowControl(id, false);
  display_.ShowControl(kIdCaption503Control, true);
  display_.ShowControl(kIdCaption501Control, true);
  ApplyFamilyRows(versions_.family503, kIdCaption503Control, kIdCaption503Dsp, kIdVersion503Dsp);
  ApplyFamilyRows(versions_.family501, kIdCaption501Control, kIdCaption501Dsp, kIdVersion501Dsp);
  display_.ShowControl(kIdCaptionControl, false);
  display_.ShowControl(kIdCaptionDsp, false);
  if (!HasImage(SlotName::Control)) {
    display_.ShowControl(kIdPathControl, false);
    display_.ShowControl(kIdVersion501Control, false);
  }
  if (!HasImage(SlotName::Dsp501)) display_.ShowControl(kIdPathDsp501, false);
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

void ImageCatalogue::ReportAvailability() {
  for (const std::string& message : AvailabilityMessages()) display_.ShowMessage(message);
}

void ImageCatalogue::ExchangeTexts() {
  for (const BoundString& entry : bound_) display_.SetControlText(entry.controlId, entry.text);
}

const std::string& ImageCatalogue::BoundText(int controlId) const {
  static const std::string kNone;
  for (const BoundString& entry : bound_)
    if (entry.controlId == controlId) return entry.text;
  return kNone;
}

std::span<const SlotName> ImageCatalogue::FamilyOrder(ImageFamily family) {
  if (family == ImageFamily::Family503) return kOrder503;
  return kOrder501;
}

FamilySelection ImageCatalogue::SelectImageFamily(uint32_t hwFeatures) {
  FamilySelection selection;
  selection.family = FamilyOf(hwFeatures);
  for (SlotName slot : FamilyOrder(selection.family)) {
    if (HasImage(slot)) {
      selection.first = slot;
      break;
    }
  }
  if (selection.first) {
    const ImageFamily other =
        selection.family == ImageFamily::Family503 ? ImageFamily::Family501 : ImageFamily::Family503;
    for (SlotName slot : FamilyOrder(other)) Image(slot).HideDisplay();
  }
  return selection;
}

}  // namespace p25
