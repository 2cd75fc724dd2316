#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace p25 {

// A message of the command set in words, for transcripts and traces ("WriteFlash Command 0x10000 246
// bytes"). Any bytes are accepted: what does not parse is named as such.
std::string DescribeMessage(const uint8_t* message, int length);
// "DB FF FF BC".
std::string HexBytes(const std::vector<uint8_t>& bytes);
void AppendHex(std::string& out, const uint8_t* data, size_t count);

}  // namespace p25
