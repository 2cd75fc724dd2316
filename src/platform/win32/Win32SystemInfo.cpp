#include <windows.h>
// clang-format off: the GUIDs are defined only with initguid.h first.
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <cstring>
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

std::string SerialAdapterText(const std::string& device, const std::string&) {
  // "\\.\COM3" is the port the system's device list calls "COM3".
  const std::string port = device.rfind("\\\\.\\", 0) == 0 ? device.substr(4) : device;
  const HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return {};
  std::string text;
  SP_DEVINFO_DATA info{};
  info.cbSize = sizeof info;
  for (DWORD i = 0; text.empty() && SetupDiEnumDeviceInfo(set, i, &info); ++i) {
    const HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    char name[64] = {};
    DWORD size = sizeof name - 1;
    DWORD type = 0;
    const bool named = RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) ==
                           ERROR_SUCCESS && type == REG_SZ;
    RegCloseKey(key);
    if (!named || _stricmp(name, port.c_str()) != 0) continue;
    // A property that is a list of strings gives its first, the most specific.
    const auto property = [&](DWORD which) {
      char value[512] = {};
      if (!SetupDiGetDeviceRegistryPropertyA(set, &info, which, nullptr, reinterpret_cast<BYTE*>(value),
                                             sizeof value - 2, nullptr))
        return std::string();
      return CleanDeviceText(std::string_view(value, strnlen(value, sizeof value)));
    };
    text = UsbIdsOfHardwareId(property(SPDRP_HARDWAREID));
    const auto add = [&text](const std::string& part) {
      if (part.empty()) return;
      if (!text.empty()) text += ", ";
      text += part;
    };
    add(property(SPDRP_MFG));
    add(property(SPDRP_FRIENDLYNAME));
    char instance[256] = {};
    if (SetupDiGetDeviceInstanceIdA(set, &info, instance, sizeof instance, nullptr))
      add("device " + CleanDeviceText(instance));
  }
  SetupDiDestroyDeviceInfoList(set);
  return text;
}

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
