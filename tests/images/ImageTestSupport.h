#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Resources.h"

namespace p25::test {

// Resources held in memory, for images written by the test itself.
class MemoryResources final : public ResourceSource {
public:
  void Add(std::string type, uint16_t id, std::string content) {
    items_[{std::move(type), id}] = std::move(content);
  }
  bool Find(std::string_view type, uint16_t id, ResourceBytes& found) const override {
    const auto it = items_.find({std::string(type), id});
    if (it == items_.end()) return false;
    found.data = reinterpret_cast<const uint8_t*>(it->second.data());
    found.size = it->second.size();
    return true;
  }

private:
  std::map<std::pair<std::string, uint16_t>, std::string> items_;
};

// A set with chosen resources taken away.
class ResourcesWithout final : public ResourceSource {
public:
  ResourcesWithout(const ResourceSource& base, std::set<uint16_t> missingImages,
                   std::set<uint16_t> missingSignatures)
      : base_(base),
        missingImages_(std::move(missingImages)),
        missingSignatures_(std::move(missingSignatures)) {}
  bool Find(std::string_view type, uint16_t id, ResourceBytes& found) const override {
    const auto& missing = type == "DATFILE" ? missingImages_ : missingSignatures_;
    if (missing.count(id) != 0) return false;
    return base_.Find(type, id, found);
  }

private:
  const ResourceSource& base_;
  std::set<uint16_t> missingImages_;
  std::set<uint16_t> missingSignatures_;
};

// DATFILE text from lines, each ended with CR LF.
inline std::string DatText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A file in a fresh temporary folder, removed with the object.
class TempFile {
public:
  explicit TempFile(const std::string& name, const std::string& content = {}) {
    folder_ = std::filesystem::temp_directory_path() /
              ("p25-images-" + std::to_string(std::random_device{}()) + "-" + name);
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / name).string();
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string Folder() const { return folder_.string(); }

private:
  std::filesystem::path folder_;
  std::string path_;
};

}  // namespace p25::test
