#include <cstdlib>
#include <string>

#include "platform/LogFolder.h"

namespace p25 {

std::string DefaultLogFolder() {
  // The base directory specification ignores a relative XDG_STATE_HOME.
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (state != nullptr && state[0] == '/') {
    base = state;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.local/state";
  } else {
    return {};
  }
  return base + "/p25update/logs";
}

}  // namespace p25
