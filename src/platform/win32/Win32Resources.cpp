// The carried firmware lives in the program's resource section; it is found by type name and id
// without naming a language and used where the loader mapped it.
#include <windows.h>

#include <string>

#include "platform/Resources.h"

namespace p25 {

namespace {

class ResourceSection final : public ResourceSource {
public:
  bool Find(std::string_view type, uint16_t id, ResourceBytes& found) const override {
    const std::string typeName(type);
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), typeName.c_str());
    if (resource == nullptr) return false;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (loaded == nullptr) return false;
    const void* data = LockResource(loaded);
    if (data == nullptr) return false;
    found.data = static_cast<const uint8_t*>(data);
    found.size = SizeofResource(nullptr, resource);
    return true;
  }
};

}  // namespace

const ResourceSource& EmbeddedResources() {
  static const ResourceSection section;
  return section;
}

}  // namespace p25
