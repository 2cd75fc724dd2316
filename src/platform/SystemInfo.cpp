#include "platform/SystemInfo.h"

#include <cctype>

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

std::string UsbIdsOfHardwareId(std::string_view hardwareId) {
  // The four hex digits after a key, lower-cased as Linux shows them; empty if not there.
  const auto idAfter = [hardwareId](std::string_view key) {
    for (size_t at = hardwareId.find(key); at != std::string_view::npos; at = hardwareId.find(key, at + 1)) {
      const std::string_view digits = hardwareId.substr(at + key.size(), 4);
      std::string id;
      for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) break;
        id.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
      }
      if (id.size() == 4) return id;
    }
    return std::string();
  };
  const std::string vendor = idAfter("VID_");
  const std::string product = idAfter("PID_");
  if (vendor.empty() || product.empty()) return {};
  return "USB " + vendor + ":" + product;
}

}  // namespace p25
