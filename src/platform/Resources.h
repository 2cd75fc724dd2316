#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace p25 {

// The bytes of one embedded resource. They belong to the program image and are read in place.
struct ResourceBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// Where resource-backed images and signatures are looked up, by type name ("DATFILE", "SGNFILE")
// and integer id. The program uses the set the build embedded; tests hand in sets with chosen gaps.
class ResourceSource {
public:
  virtual ~ResourceSource() = default;
  // False when no resource of that type and id exists.
  virtual bool Find(std::string_view type, uint16_t id, ResourceBytes& found) const = 0;
};

// One entry of the table the build generates next to the embedded bytes.
struct EmbeddedResourceEntry {
  const char* type;
  uint16_t id;
  const uint8_t* data;
  const uint32_t* size;
};

// The set embedded into this program.
const ResourceSource& EmbeddedResources();

}  // namespace p25
