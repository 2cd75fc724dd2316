#include "engine/RecoveryFile.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "link/Crc16.h"

namespace p25 {

namespace {
constexpr std::string_view kTag = "P25SN ";

uint16_t Check(std::string_view text) {
  return Crc16(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::optional<int32_t> ParseRecord(std::string_view line) {
  // A torn record followed by a later one shares its line: start at the last tag.
  const size_t tag = line.rfind(kTag);
  if (tag == std::string_view::npos) return std::nullopt;
  line.remove_prefix(tag);
  const size_t space = line.rfind(' ');
  if (space == std::string_view::npos || space < kTag.size()) return std::nullopt;
  const std::string_view body = line.substr(0, space);
  const std::string_view checkText = line.substr(space + 1);
  unsigned check = 0;
  auto [end, error] = std::from_chars(checkText.data(), checkText.data() + checkText.size(), check, 16);
  if (error != std::errc() || end != checkText.data() + checkText.size() || checkText.size() != 4) return std::nullopt;
  if (check != Check(body)) return std::nullopt;
  const std::string_view number = body.substr(kTag.size());
  int32_t serial = 0;
  auto [numberEnd, numberError] = std::from_chars(number.data(), number.data() + number.size(), serial);
  if (numberError != std::errc() || numberEnd != number.data() + number.size() || number.empty()) return std::nullopt;
  return serial;
}
}  // namespace

std::string FormatRecoveryRecord(int32_t serialNumber) {
  std::string body = std::string(kTag) + std::to_string(serialNumber);
  char check[8];
  std::snprintf(check, sizeof check, "%04X", Check(body));
  return body + " " + check + "\n";
}

std::optional<int32_t> FirstRecoveryRecord(const std::string& contents) {
  std::string_view rest(contents);
  // Only lines ended by their newline are complete.
  for (size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
    if (auto serial = ParseRecord(rest.substr(0, end))) return serial;
    rest.remove_prefix(end + 1);
  }
  return std::nullopt;
}

}  // namespace p25
