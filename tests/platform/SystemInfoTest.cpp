// What the support log learns of the port: the USB adapter from a device tree laid out as Linux lays
// out its own, through a link to the port as the radio's cable is often named.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/SystemInfo.h"

namespace p25 {
namespace {

namespace fs = std::filesystem;

TEST(SystemInfo, NamesTheUsbAdapterBehindALinkedPort) {
  const fs::path root = fs::temp_directory_path() / ("p25sysinfo-" + std::to_string(::getpid()));
  const fs::path usb = root / "sys/devices/pci0000:00/usb1/1-2";
  fs::create_directories(usb / "1-2:1.0/ttyUSB7");
  fs::create_directories(root / "sys/class/tty/ttyUSB7");
  fs::create_directory_symlink(usb / "1-2:1.0/ttyUSB7", root / "sys/class/tty/ttyUSB7/device");
  for (const auto& [name, value] : {std::pair{"idVendor", "0403\n"}, {"idProduct", "6001\n"},
                                    {"manufacturer", "FTDI\x01\n"}, {"product", " FT232R USB UART \n"}})
    std::ofstream(usb / name) << value;
  fs::create_directories(root / "dev");
  std::ofstream(root / "dev/ttyUSB7");
  fs::create_symlink(root / "dev/ttyUSB7", root / "radio");

  EXPECT_EQ(ResolvedDevicePath((root / "radio").string()), (root / "dev/ttyUSB7").string());
  EXPECT_EQ(SerialAdapterText((root / "radio").string(), (root / "sys").string()),
            "USB 0403:6001, FTDI, FT232R USB UART");
  std::ofstream(usb / "serial") << "A50285BI\n";
  EXPECT_EQ(SerialAdapterText((root / "radio").string(), (root / "sys").string()),
            "USB 0403:6001, FTDI, FT232R USB UART, serial A50285BI");
  // A port that is no USB adapter, such as a pseudo-terminal, has nothing to say.
  EXPECT_EQ(SerialAdapterText("/dev/ptmx", (root / "sys").string()), "");
  fs::remove_all(root);
}

TEST(SystemInfo, ReadsUsbIdsFromWindowsHardwareIds) {
  for (const auto& [id, ids] : {std::pair{"USB\\VID_0403&PID_6001&REV_0600", "USB 0403:6001"},
                                {"FTDIBUS\\COMPORT&VID_067B&PID_2303", "USB 067b:2303"},
                                {"VID_X10C4 USB\\VID_10C4&PID_EA60", "USB 10c4:ea60"},
                                {"USB\\VID_04&PID_6001", ""}, {"ACPI\\PNP0501", ""}, {"", ""}})
    EXPECT_EQ(UsbIdsOfHardwareId(id), ids) << id;
}

}  // namespace
}  // namespace p25
