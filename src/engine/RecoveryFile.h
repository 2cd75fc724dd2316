#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace p25 {

// Records of a radio's serial number, one line each: "P25SN <serial> <check>\n", the check being a CRC
// of the text before it. A record cut short by a crash never passes its check, so it is never
// mistaken for a serial number; the first complete record is the one restored.
std::string FormatRecoveryRecord(int32_t serialNumber);
std::optional<int32_t> FirstRecoveryRecord(const std::string& contents);

}  // namespace p25
