#include "link/Crc16.h"

#include <array>

namespace p25 {

namespace {
constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned r = i << 8;
    for (int bit = 0; bit < 8; ++bit) r = (r & 0x8000u) ? ((r << 1) ^ 0x1021u) : (r << 1);
    table[i] = static_cast<uint16_t>(r);
  }
  return table;
}
constexpr std::array<uint16_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x1021 && kTable[255] == 0x1EF0);
}  // namespace

uint16_t Crc16(const uint8_t* bytes, size_t length) {
  uint16_t reg = 0;
  for (size_t i = 0; i < length; ++i)
    reg = static_cast<uint16_t>(kTable[((reg >> 8) ^ bytes[i]) & 0xFF] ^ (reg << 8));
  return static_cast<uint16_t>(reg ^ 0xFFFF);
}

}  // namespace p25
