#include "images/Versions.h"

#include <charconv>

namespace p25 {

namespace {

// Reads a decimal number at the front of text and drops it; false when there is none.
bool TakeNumber(std::string_view& text, int& number) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc{}) return false;
  text.remove_prefix(static_cast<size_t>(end - first));
  return true;
}

bool TakePoint(std::string_view& text) {
  if (text.empty() || text.front() != '.') return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

bool IsZeroPatchVersion(std::string_view first, std::string_view second) {
  if (first != second) return false;
  std::string_view rest = first;
  int major = 0;
  int minor = 0;
  int patch = 0;
  if (!TakeNumber(rest, major) || !TakePoint(rest) || !TakeNumber(rest, minor) || !TakePoint(rest) ||
      !TakeNumber(rest, patch))
    return false;
  return rest.empty() && patch == 0;
}

std::string TrimVersion(std::string_view version) {
  const size_t firstPoint = version.find('.');
  if (firstPoint == std::string_view::npos) return std::string(version);
  const size_t secondPoint = version.find('.', firstPoint + 1);
  if (secondPoint == std::string_view::npos) return std::string(version);
  return std::string(version.substr(0, secondPoint));
}

}  // namespace p25
