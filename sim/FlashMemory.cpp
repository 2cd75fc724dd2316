#include "FlashMemory.h"

#include <algorithm>

namespace p25 {

FlashMemory::FlashMemory() = default;

void FlashMemory::EnsureStorage() {
  if (!cells_.empty()) return;
  data_.assign(kSize, 0);
  cells_.assign(kSize, Cell::Factory);
}

void FlashMemory::Erase(uint32_t address, uint32_t length) {
  if (!Contains(address, length)) return;
  EnsureStorage();
  std::fill_n(data_.begin() + address, length, uint8_t{0xFF});
  std::fill_n(cells_.begin() + address, length, Cell::Erased);
}

bool FlashMemory::CanProgram(uint32_t address, uint32_t length) const {
  return Contains(address, length) && All(address, length, Cell::Erased);
}

void FlashMemory::Program(uint32_t address, const uint8_t* data, uint32_t length) {
  if (!Contains(address, length)) return;
  EnsureStorage();
  std::copy_n(data, length, data_.begin() + address);
  std::fill_n(cells_.begin() + address, length, Cell::Programmed);
}

std::vector<uint8_t> FlashMemory::Read(uint32_t address, uint32_t length) const {
  if (!Contains(address, length)) return {};
  std::vector<uint8_t> bytes(length);
  for (uint32_t i = 0; i < length; ++i) bytes[i] = At(address + i);
  return bytes;
}

bool FlashMemory::All(uint32_t address, uint32_t length, Cell cell) const {
  if (!Contains(address, length)) return false;
  if (cells_.empty()) return cell == Cell::Factory;
  return std::all_of(cells_.begin() + address, cells_.begin() + address + length,
                     [cell](Cell c) { return c == cell; });
}

}  // namespace p25
