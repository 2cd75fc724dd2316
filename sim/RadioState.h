#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FlashMemory.h"

namespace p25 {

// A flash range the radio was told to erase, and what became of the image written into it. The radio
// runs its firmware only while every such range carries an accepted signature.
struct FlashRegion {
  enum class State : uint8_t { Unsigned, Signed, Refused };
  uint32_t start = 0;
  uint32_t length = 0;
  State state = State::Unsigned;

  bool operator==(const FlashRegion&) const = default;
};

// What the radio keeps across power cycles (and, with a state file, across runs of the simulator).
struct RadioState {
  uint32_t serialNumber = 0;
  std::vector<FlashRegion> regions;
  FlashMemory flash;

  bool FirmwareValid() const;
};

// The state file: a text of keyword lines, "p25radio-sim state 1" first, then "serial N",
// "region START LENGTH unsigned|signed|refused", "erased START LENGTH" and "data START HEXBYTES"
// (addresses and lengths in hexadecimal). Factory content is whatever no line mentions.
std::string FormatRadioState(const RadioState& state);
// Parses into state (which should be fresh); on failure says which line is wrong and why.
bool ParseRadioState(std::string_view text, RadioState& state, std::string& error);

bool SaveRadioState(const std::string& path, const RadioState& state, std::string& error);
// A missing file is no error: found is false and the state is left alone.
bool LoadRadioState(const std::string& path, RadioState& state, bool& found, std::string& error);

}  // namespace p25
