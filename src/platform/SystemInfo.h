#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace p25 {

// What the support log says about the machine and the port.

// "Linux 6.1.0-18-amd64 #1 SMP ... x86_64", "Windows 10.0 build 19045".
std::string OperatingSystemText();
// The device a port name leads to, links followed; the name itself where there are no links.
std::string ResolvedDevicePath(const std::string& device);
// The USB serial adapter behind the device ("USB 0403:6001, FTDI, FT232R USB UART, serial A50285BI"),
// or empty when it is none or the system does not say. Linux tells it in its device tree under
// deviceTree (tests give their own).
std::string SerialAdapterText(const std::string& device, const std::string& deviceTree = "/sys");
// Text a device reported about itself, kept to printable ASCII, trimmed and at most 64 characters.
std::string CleanDeviceText(std::string_view raw);
// "USB 0403:6001" from a Windows hardware id such as "USB\VID_0403&PID_6001&REV_0600" or
// "FTDIBUS\COMPORT&VID_0403&PID_6001"; empty when it names no USB vendor and product.
std::string UsbIdsOfHardwareId(std::string_view hardwareId);

struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int offsetMinutes = 0;  // local time minus UTC
};
LocalTime LocalTimeOf(int64_t secondsSinceEpoch);

}  // namespace p25
