#include "platform/SystemInfo.h"

namespace p25 {

std::string CleanDeviceText(std::string_view raw) {
  constexpr size_t kLimit = 64;
  std::string text;
  for (const char c : raw) {
    if (text.size() == kLimit) break;
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) text.push_back(c);
    else if (byte == '\n' || byte == '\r' || byte == '\t') text.push_back(' ');
  }
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace p25
