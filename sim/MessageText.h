#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace p25 {

// A message of the command set in words, for the transcript ("WriteFlash Command 0x10000 246 bytes").
std::string DescribeMessage(const uint8_t* message, int length);
// "DB FF FF BC".
std::string HexBytes(const std::vector<uint8_t>& bytes);

}  // namespace p25
