#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "images/ImageSlot.h"
#include "images/Versions.h"
#include "platform/Resources.h"

namespace p25 {

// The six named images the updater carries, each with an image slot and a signature slot.
enum class SlotName : int { Flash, ControlA, ControlB, Dsp, Control, Dsp501 };
inline constexpr size_t kSlotCount = 6;

// The two hardware variants of the radio and the images each one takes.
enum class ImageFamily : int { Family503, Family501 };

// Versions of the carried images, for display only.
inline constexpr char kVersionFlash[] = "2.0.0";
inline constexpr char kVersion503[] = "8.3.0";
inline constexpr char kVersion501[] = "5.13.0";

// What the catalogue carries for one slot.
struct SlotInfo {
  SlotName slot;
  const char* name;
  uint16_t imageResourceId;
  uint16_t signatureResourceId;
};

// The carried images by slot, in SlotName order.
extern const std::array<SlotInfo, kSlotCount> kSlotTable;

// Versions shown for the carried images; tests choose others.
struct CarriedVersions {
  std::string flash = kVersionFlash;
  std::string family503 = kVersion503;
  std::string family501 = kVersion501;
};

// The family of a radio by bit 0 of its HW features.
inline ImageFamily FamilyOf(uint32_t hwFeatures) {
  return (hwFeatures & 1u) != 0 ? ImageFamily::Family503 : ImageFamily::Family501;
}

// The family a radio takes and the slot its installation begins with (none when the family has no
// image present).
struct FamilySelection {
  ImageFamily family = ImageFamily::Family503;
  std::optional<SlotName> first;
};

// The fixed set of slots through which the rest of the updater reaches the carried images and their
// signatures. What the window shows of them is DescribeVersionArea's (images/VersionArea.h).
class ImageCatalogue {
public:
  explicit ImageCatalogue(const ResourceSource& resources = EmbeddedResources(), CarriedVersions versions = {});
  ImageCatalogue(const ImageCatalogue&) = delete;
  ImageCatalogue& operator=(const ImageCatalogue&) = delete;

  // Start-up: load every image and signature, each image with the version it shows.
  void LoadAll();
  // Instead of LoadAll: the slots take the files <name>.dat and <name>.sgn of a folder, which each update
  // then reads afresh. Answers the reasons of the files that did not load, in load order.
  std::vector<std::string> LoadAllFromFolder(const std::string& folder);
  // What is missing, one notice each, in the order the technician is told.
  std::vector<std::string> AvailabilityMessages() const;

  // Chooses the family by bit 0 of the radio's HW features and the first present image of it.
  FamilySelection SelectImageFamily(uint32_t hwFeatures) const;
  // The family's images in installation order.
  static std::span<const SlotName> FamilyOrder(ImageFamily family);

  ImageSlot& Image(SlotName slot) { return *images_[Index(slot)]; }
  const ImageSlot& Image(SlotName slot) const { return *images_[Index(slot)]; }
  SignatureSlot& Signature(SlotName slot) { return *signatures_[Index(slot)]; }
  const SignatureSlot& Signature(SlotName slot) const { return *signatures_[Index(slot)]; }
  const CarriedVersions& Versions() const { return versions_; }
  bool HasImage(SlotName slot) const { return Image(slot).Module() != nullptr; }

private:
  static size_t Index(SlotName slot) { return static_cast<size_t>(slot); }
  bool HasSignature(SlotName slot) const { return Signature(slot).Signature() != nullptr; }
  // The slots in load order with the version each image slot shows.
  std::array<std::pair<SlotName, std::string>, kSlotCount> LoadOrder() const;

  CarriedVersions versions_;
  std::array<std::unique_ptr<ImageSlot>, kSlotCount> images_;
  std::array<std::unique_ptr<SignatureSlot>, kSlotCount> signatures_;
};

}  // namespace p25
