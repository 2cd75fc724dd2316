// Reads a simulated radio's state file and tells whether its flash holds a firmware family exactly as
// the images of a folder give it, every image signed, or was never touched, and which serial number it
// has.
#include <cstdio>
#include <string>
#include <vector>

#include "RadioState.h"
#include "images/LoadModule.h"

namespace {

bool SerialIs(const p25::RadioState& state, const char* expected) {
  if (std::to_string(state.serialNumber) == expected) return true;
  std::fprintf(stderr, "serial number %u, expected %s\n", state.serialNumber, expected);
  return false;
}

// Nothing erased, nothing written: what a failure before boot mode must leave.
int CheckUntouched(const p25::RadioState& state, const char* serial) {
  int failures = SerialIs(state, serial) ? 0 : 1;
  if (!state.regions.empty()) {
    std::fprintf(stderr, "flash was erased at 0x%X\n", state.regions.front().start);
    ++failures;
  }
  if (failures == 0) std::printf("radio untouched, serial number %u\n", state.serialNumber);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool untouched = argc == 4 && std::string(argv[2]) == "untouched";
  if (argc != 5 && !untouched) {
    std::fprintf(stderr, "usage: %s STATE FIRMWARE_DIR 503|501 SERIAL\n       %s STATE untouched SERIAL\n",
                 argv[0], argv[0]);
    return 2;
  }
  p25::RadioState state;
  bool found = false;
  std::string error;
  if (!p25::LoadRadioState(argv[1], state, found, error) || !found) {
    std::fprintf(stderr, "cannot read radio state %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  if (untouched) return CheckUntouched(state, argv[3]);
  const std::string family = argv[3];
  const char* const images503[] = {"controlA", "controlB", "dsp"};
  const char* const images501[] = {"control", "dsp501"};
  int failures = 0;
  for (const char* name : family == "501" ? std::vector<const char*>(std::begin(images501), std::end(images501))
                                          : std::vector<const char*>(std::begin(images503), std::end(images503))) {
    const std::string path = std::string(argv[2]) + "/" + name + ".dat";
    auto image = p25::CreateFileModule(path, error);
    if (!image) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    uint8_t block[246];
    uint32_t address = 0;
    for (int n; (n = image->ReadBlock(block, sizeof block, address)) > 0;) {
      for (int i = 0; i < n; ++i) {
        if (state.flash.At(address + static_cast<uint32_t>(i)) != block[i]) {
          std::fprintf(stderr, "%s differs at 0x%X\n", name, address + static_cast<uint32_t>(i));
          ++failures;
          break;
        }
      }
    }
    bool signedRegion = false;
    for (const auto& region : state.regions)
      if (region.start == image->StartAddress() && region.state == p25::FlashRegion::State::Signed) signedRegion = true;
    if (!signedRegion) {
      std::fprintf(stderr, "%s is not signed\n", name);
      ++failures;
    }
  }
  if (!SerialIs(state, argv[4])) ++failures;
  if (failures == 0) std::printf("radio holds the %s family, serial number %u\n", family.c_str(), state.serialNumber);
  return failures == 0 ? 0 : 1;
}
