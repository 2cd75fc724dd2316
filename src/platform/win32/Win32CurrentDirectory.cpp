#include <windows.h>

#include "platform/CurrentDirectory.h"

namespace p25 {

std::string CurrentDirectory() {
  char buffer[kMaxCurrentDirectoryLength + 1];
  const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
  // 0 is a failure; a longer directory answers the size it would need.
  if (length == 0 || length > kMaxCurrentDirectoryLength) return {};
  return std::string(buffer, length);
}

char PathSeparator() { return '\\'; }

}  // namespace p25
