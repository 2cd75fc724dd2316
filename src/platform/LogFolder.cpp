// The log folder's upkeep, which the standard library serves on every system.
#include "platform/LogFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace p25 {

namespace fs = std::filesystem;

bool MakeFolder(const std::string& folder, std::string& reason) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (!error && fs::is_directory(folder, error)) return true;
  reason = error ? error.message() : "not a folder";
  return false;
}

bool IsUpdateLogName(const std::string& name) {
  constexpr size_t kStamp = 15;  // yyyymmddThhmmss
  if (name.size() < kStamp + 4 || name.compare(name.size() - 4, 4, ".log") != 0) return false;
  for (size_t i = 0; i < kStamp; ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (i == 8 ? name[i] != 'T' : !digit) return false;
  }
  return true;
}

void PruneLogFolder(const std::string& folder, size_t keep) {
  struct Entry {
    fs::file_time_type written;
    fs::path path;
  };
  std::vector<Entry> logs;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (!it->is_regular_file(ignored) || !IsUpdateLogName(it->path().filename().string())) continue;
    logs.push_back({it->last_write_time(ignored), it->path()});
  }
  if (logs.size() <= keep) return;
  // Newest first; names start with the start time, so they settle ties.
  std::sort(logs.begin(), logs.end(), [](const Entry& a, const Entry& b) {
    return a.written != b.written ? a.written > b.written : a.path.filename() > b.path.filename();
  });
  for (size_t i = keep; i < logs.size(); ++i) {
    std::error_code ignored;
    fs::remove(logs[i].path, ignored);
  }
}

bool RenameFile(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return !error;
}

}  // namespace p25
