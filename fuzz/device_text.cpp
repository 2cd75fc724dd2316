// Arbitrary text a device or the system reports about a serial adapter: cleaning and reading USB ids
// never crash, and what they give is short printable text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/SystemInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  const auto printable = [](const std::string& text, size_t limit) {
    if (text.size() > limit) std::abort();
    for (const char c : text)
      if (c < 0x20 || c > 0x7E) std::abort();
  };
  printable(p25::CleanDeviceText(raw), 64);
  const std::string ids = p25::UsbIdsOfHardwareId(raw);
  printable(ids, 13);
  if (!ids.empty() && ids.size() != 13) std::abort();
  return 0;
}
