#include "platform/Resources.h"

namespace p25 {

// Defined by the firmware embedding the build generates.
extern const EmbeddedResourceEntry kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;

namespace {

class EmbeddedResourceTable final : public ResourceSource {
public:
  bool Find(std::string_view type, uint16_t id, ResourceBytes& found) const override {
    for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
      const EmbeddedResourceEntry& entry = kEmbeddedResources[i];
      if (entry.id == id && type == entry.type) {
        found.data = entry.data;
        found.size = *entry.size;
        return true;
      }
    }
    return false;
  }
};

}  // namespace

const ResourceSource& EmbeddedResources() {
  static const EmbeddedResourceTable table;
  return table;
}

}  // namespace p25
