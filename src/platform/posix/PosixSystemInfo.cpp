#include <sys/utsname.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace p25 {

namespace fs = std::filesystem;

std::string OperatingSystemText() {
  utsname name{};
  if (::uname(&name) != 0) return "POSIX";
  return std::string(name.sysname) + " " + name.release + " " + name.version + " " + name.machine;
}

std::string ResolvedDevicePath(const std::string& device) {
  std::error_code error;
  const fs::path resolved = fs::canonical(device, error);
  return error ? device : resolved.string();
}

std::string SerialAdapterText(const std::string& device, const std::string& deviceTree) {
  const std::string tty = fs::path(ResolvedDevicePath(device)).filename().string();
  if (tty.empty()) return {};
  std::error_code error;
  // The tty's device is the adapter's interface; the USB device with its ids is a level or two up.
  fs::path at = fs::canonical(deviceTree + "/class/tty/" + tty + "/device", error);
  for (int up = 0; !error && up < 4 && at.has_relative_path(); ++up, at = at.parent_path()) {
    std::string vendor;
    if (!ReadWholeFile((at / "idVendor").string(), vendor)) continue;
    auto read = [&at](const char* attribute) {
      std::string value;
      ReadWholeFile((at / attribute).string(), value);
      return CleanDeviceText(value);
    };
    std::string text = "USB " + CleanDeviceText(vendor) + ":" + read("idProduct");
    for (const char* attribute : {"manufacturer", "product"})
      if (const std::string value = read(attribute); !value.empty()) text += ", " + value;
    if (const std::string serial = read("serial"); !serial.empty()) text += ", serial " + serial;
    return text;
  }
  return {};
}

LocalTime LocalTimeOf(int64_t secondsSinceEpoch) {
  const auto t = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local{};
  if (::localtime_r(&t, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
          static_cast<int>(local.tm_gmtoff / 60)};
}

}  // namespace p25
