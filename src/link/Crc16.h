#pragma once
#include <cstddef>
#include <cstdint>

namespace p25 {

// CRC-16/GSM: polynomial 0x1021, initial 0, not reflected, final XOR 0xFFFF.
uint16_t Crc16(const uint8_t* bytes, size_t length);

}  // namespace p25
