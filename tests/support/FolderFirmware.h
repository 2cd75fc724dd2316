#pragma once
// A firmware set read from a folder of <slot>.dat and <slot>.sgn files into memory, found under the
// catalogue's resource ids. The tests use the full-size placeholder set their build generates
// (P25_TEST_FIRMWARE_DIR), so they pass whatever set the program itself carries.
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "images/Catalogue.h"
#include "images/ImageTestSupport.h"

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
    return items_.Find(type, id, found);
  }
  bool Complete() const { return count_ == 2 * kSlotTable.size(); }

private:
  void Add(const char* type, uint16_t id, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return;
    items_.Add(type, id, std::move(bytes));
    ++count_;
  }
  test::MemoryResources items_;
  size_t count_ = 0;
};

#ifdef P25_TEST_FIRMWARE_DIR
// The tests' own full-size set, read once.
inline const FolderFirmware& GeneratedFirmware() {
  static const FolderFirmware set(P25_TEST_FIRMWARE_DIR);
  return set;
}
#endif

}  // namespace p25::testing
