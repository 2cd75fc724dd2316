#include "images/FileContent.h"

#include <cstdio>
#include <limits>
#include <new>

namespace p25 {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Texts and sizes are counted in signed 32 bits, so nothing longer is taken.
constexpr long kLongestFile = std::numeric_limits<int32_t>::max();

}  // namespace

bool ReadFileContent(const std::string& path, std::unique_ptr<uint8_t[]>& buffer, size_t& length,
                     std::string& errorText) {
  try {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
      errorText = "File I/O Error";
      return false;
    }
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
      errorText = "File I/O Error";
      return false;
    }
    if (size == 0 || size > kLongestFile) return false;
    std::unique_ptr<uint8_t[]> content(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!content) return false;
    const size_t got = std::fread(content.get(), 1, static_cast<size_t>(size), file.get());
    if (got != static_cast<size_t>(size)) {
      errorText = "Failed to read " + path;
      return false;
    }
    buffer = std::move(content);
    length = static_cast<size_t>(size);
    return true;
  } catch (...) {
    errorText = "File I/O Error";
    return false;
  }
}

void NoteFailedLoad(const std::string& path, std::string& errorText) {
  if (errorText.empty()) errorText = "Failed to load " + path;
}

}  // namespace p25
