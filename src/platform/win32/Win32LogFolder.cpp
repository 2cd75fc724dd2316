#include <cstdlib>
#include <string>

#include "platform/LogFolder.h"

namespace p25 {

std::string DefaultLogFolder() {
  const char* local = std::getenv("LOCALAPPDATA");
  if (local == nullptr || local[0] == '\0') return {};
  return std::string(local) + "\\p25update\\logs";
}

}  // namespace p25
