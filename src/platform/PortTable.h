#pragma once
#include <string>
#include <vector>

namespace p25 {

// The rows of the port list: what the user sees and the device each row opens.
struct PortTable {
  std::vector<std::string> displayNames;
  std::vector<std::string> deviceNames;

  int Size() const { return static_cast<int>(deviceNames.size()); }
  void Add(const std::string& display, const std::string& device) {
    displayNames.push_back(display);
    deviceNames.push_back(device);
  }
};

inline constexpr int kMaxPortRows = 10;

// The ports of this machine: on Windows COM1 to COM10; elsewhere the paths listed in
// P25UPDATE_PORTS (colon-separated), then the serial devices found, at most ten rows.
PortTable SystemPortTable();

}  // namespace p25
