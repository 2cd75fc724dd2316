#include "platform/CurrentDirectory.h"

#include <filesystem>
#include <system_error>

namespace p25 {

std::string CurrentDirectory() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::current_path(error);
  if (error) return {};
  std::string text = path.string();
  if (text.size() > kMaxCurrentDirectoryLength) return {};
  return text;
}

char PathSeparator() { return static_cast<char>(std::filesystem::path::preferred_separator); }

}  // namespace p25
