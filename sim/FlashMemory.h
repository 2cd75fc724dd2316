#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace p25 {

// The radio's program flash. Each byte is factory content (the firmware it left the factory with, not
// writable), erased (0xFF, writable once) or programmed since its last erase.
class FlashMemory {
public:
  static constexpr uint32_t kSize = 0x200000;

  enum class Cell : uint8_t { Factory, Erased, Programmed };

  FlashMemory();

  static bool Contains(uint32_t address, uint64_t length) { return length <= kSize && address <= kSize - length; }

  void Erase(uint32_t address, uint32_t length);
  // True when every byte of the range is erased and not yet programmed.
  bool CanProgram(uint32_t address, uint32_t length) const;
  void Program(uint32_t address, const uint8_t* data, uint32_t length);

  uint8_t At(uint32_t address) const {
    return CellAt(address) == Cell::Factory ? FactoryByte(address) : data_[address];
  }
  Cell CellAt(uint32_t address) const { return cells_.empty() ? Cell::Factory : cells_[address]; }
  std::vector<uint8_t> Read(uint32_t address, uint32_t length) const;
  bool IsErased(uint32_t address, uint32_t length) const { return All(address, length, Cell::Erased); }
  bool IsProgrammed(uint32_t address, uint32_t length) const { return All(address, length, Cell::Programmed); }

  static uint8_t FactoryByte(uint32_t address) {
    return static_cast<uint8_t>((address * 2654435761u) >> 24);
  }

private:
  bool All(uint32_t address, uint32_t length, Cell cell) const;
  // Storage appears with the first erase: a radio that is never flashed costs nothing.
  void EnsureStorage();

  std::vector<uint8_t> data_;  // valid where the cell is not factory content
  std::vector<Cell> cells_;
};

}  // namespace p25
