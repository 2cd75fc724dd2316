#include <windows.h>

#include <ctime>
#include <string>

#include "platform/SystemInfo.h"

namespace p25 {

std::string OperatingSystemText() {
  // GetVersionEx reports what the manifest claims, not the system; ntdll tells the truth.
  using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
  std::string text = "Windows";
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return text;
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  const auto getVersion = reinterpret_cast<RtlGetVersionCall>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (getVersion != nullptr && getVersion(&version) == 0)
    text += " " + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + " build " +
            std::to_string(version.dwBuildNumber);
  using WineVersionCall = const char*(CDECL*)();
  const auto wine = reinterpret_cast<WineVersionCall>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
  if (wine != nullptr) text += std::string(" (Wine ") + wine() + ")";
  return text;
}

std::string ResolvedDevicePath(const std::string& device) { return device; }

std::string SerialAdapterText(const std::string&, const std::string&) { return {}; }

LocalTime LocalTimeOf(int64_t secondsSinceEpoch) {
  const auto t = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local{};
  if (localtime_s(&local, &t) != 0) return {};
  std::tm copy = local;
  // The local fields read as UTC, less the instant itself, is the zone's offset.
  const std::time_t asUtc = _mkgmtime(&copy);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
          static_cast<int>((asUtc - t) / 60)};
}

}  // namespace p25
