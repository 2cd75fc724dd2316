#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/PortTable.h"

namespace p25 {

namespace {

void AddUnique(PortTable& table, const std::string& display, const std::string& device) {
  if (table.Size() >= kMaxPortRows) return;
  if (std::find(table.deviceNames.begin(), table.deviceNames.end(), device) != table.deviceNames.end()) return;
  table.Add(display, device);
}

std::vector<std::string> Sorted(const std::filesystem::path& folder, const std::string& prefix) {
  std::vector<std::string> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (prefix.empty() || name.rfind(prefix, 0) == 0) found.push_back(it->path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

PortTable SystemPortTable() {
  PortTable table;
  if (const char* listed = std::getenv("P25UPDATE_PORTS")) {
    std::string all(listed);
    size_t start = 0;
    while (start <= all.size()) {
      const size_t end = std::min(all.find(':', start), all.size());
      const std::string path = all.substr(start, end - start);
      // The list is narrow: show the name, open the path.
      if (!path.empty()) AddUnique(table, std::filesystem::path(path).filename().string(), path);
      start = end + 1;
    }
  }
  // A by-id link names the adapter; it resolves to the same ttyUSB/ttyACM device listed below it.
  for (const auto& path : Sorted("/dev/serial/by-id", "")) {
    std::error_code error;
    const auto target = std::filesystem::canonical(path, error);
    if (error) continue;
    if (std::find(table.deviceNames.begin(), table.deviceNames.end(), target.string()) != table.deviceNames.end())
      continue;
    AddUnique(table, std::filesystem::path(path).filename().string(), path);
  }
  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
    for (const auto& path : Sorted("/dev", prefix)) {
      bool aliased = false;
      for (const auto& known : table.deviceNames) {
        std::error_code error;
        if (std::filesystem::equivalent(known, path, error)) aliased = true;
      }
      if (!aliased) AddUnique(table, std::filesystem::path(path).filename().string(), path);
    }
  }
  return table;
}

}  // namespace p25
