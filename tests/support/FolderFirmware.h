#pragma once
// A firmware set read from a folder of <slot>.dat and <slot>.sgn files into memory, found under the
// catalogue's resource ids. The tests use the full-size placeholder set their build generates
// (P25_TEST_FIRMWARE_DIR), so they pass whatever set the program itself carries.
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>

#include "images/Catalogue.h"
#include "platform/Resources.h"

namespace p25::testing {

class FolderFirmware final : public ResourceSource {
public:
  explicit FolderFirmware(const std::string& folder) {
    for (const SlotInfo& slot : kSlotTable) {
      Add("DATFILE", slot.imageResourceId, folder + "/" + slot.name + ".dat");
      Add("SGNFILE", slot.signatureResourceId, folder + "/" + slot.name + ".sgn");
    }
  }
  bool Find(std::string_view type, uint16_t id, ResourceBytes& found) const override {
    const auto it = items_.find({std::string(type), id});
    if (it == items_.end()) return false;
    found.data = reinterpret_cast<const uint8_t*>(it->second.data());
    found.size = it->second.size();
    return true;
  }
  bool Complete() const { return items_.size() == 2 * kSlotTable.size(); }

private:
  void Add(const char* type, uint16_t id, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!bytes.empty()) items_[{type, id}] = std::move(bytes);
  }
  std::map<std::pair<std::string, uint16_t>, std::string> items_;
};

#ifdef P25_TEST_FIRMWARE_DIR
// The tests' own full-size set, read once.
inline const FolderFirmware& GeneratedFirmware() {
  static const FolderFirmware set(P25_TEST_FIRMWARE_DIR);
  return set;
}
#endif

}  // namespace p25::testing
