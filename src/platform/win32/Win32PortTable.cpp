#include "platform/PortTable.h"

namespace p25 {

// Always the same ten rows, whatever ports the machine has; each opens its device-namespace path.
PortTable SystemPortTable() {
  PortTable table;
  for (int n = 1; n <= kMaxPortRows; ++n) {
    const std::string display = "COM" + std::to_string(n);
    table.Add(display, "\\\\.\\" + display);
  }
  return table;
}

}  // namespace p25
