#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "PlaceholderSignature.h"
#include "SimulatedLine.h"
#include "SimulatedRadio.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"

namespace p25::simtest {

inline constexpr char kPort[] = "\\\\.\\COM1";

// A radio, the virtual clock and the updater's link to it over a SimulatedLine.
struct Bench {
  explicit Bench(SimulatedRadio::Options options = {})
      : radio(std::move(options)), link(std::make_unique<SimulatedLine>(radio, clock), clock) {}

  SimulatedLine& Line() { return static_cast<SimulatedLine&>(link.Port().Device()); }

  SimulatedRadio radio;
  VirtualClock clock;
  RadioLink link;
};

inline SimulatedRadio::Options FlashCodeRadio() {
  SimulatedRadio::Options options;
  options.startMode = SimulatedRadio::Mode::FlashCode;
  return options;
}

// Bytes that look like an image: no long runs, different per seed.
inline std::vector<uint8_t> MakeImage(size_t size, uint32_t seed = 1) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    bytes[i] = static_cast<uint8_t>(seed >> 24);
  }
  return bytes;
}

inline placeholder::Signature Sign(uint32_t address, const std::vector<uint8_t>& image) {
  return placeholder::SignImage(address, image.data(), image.size());
}

// Sends an image in blocks of 246 bytes the way the updater does; skip leaves one block out.
template <typename Send>
bool SendBlocks(uint32_t address, const std::vector<uint8_t>& image, Send send, int skip = -1) {
  constexpr size_t kBlock = 246;
  int index = 0;
  for (size_t offset = 0; offset < image.size(); offset += kBlock, ++index) {
    const int n = static_cast<int>(std::min(kBlock, image.size() - offset));
    if (index == skip) continue;
    if (!send(address + static_cast<uint32_t>(offset), n, image.data() + offset)) return false;
  }
  return true;
}

inline bool WriteImage(RadioLink& link, uint32_t address, const std::vector<uint8_t>& image, int skip = -1) {
  return SendBlocks(address, image, [&](uint32_t a, int n, const uint8_t* d) { return link.WriteFlash(a, n, d); },
                    skip);
}

// Boot mode, FLASH code download, its signature and start, as the updater does it.
inline bool BootIntoFlashCode(RadioLink& link, const std::vector<uint8_t>& code, uint32_t address = 0x200000) {
  link.EnterBootMode();
  if (!link.EnterBootMode()) return false;
  const bool signedBoot = link.ConfirmedReboot();
  if (!SendBlocks(address, code,
                  [&](uint32_t a, int n, const uint8_t* d) { return link.DownloadBootCode(a, n, d); }))
    return false;
  if (signedBoot) {
    const placeholder::Signature signature = Sign(address, code);
    if (!link.SendSignature(20, signature.data())) return false;
  }
  return link.ExecuteBootCode(address);
}

}  // namespace p25::simtest
