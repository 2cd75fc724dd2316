#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace p25::placeholder {

using Signature = std::array<uint8_t, 20>;

// Signature of a placeholder image: HMAC-SHA1, under a key known only to the placeholder generator
// and the simulated radio, over the image's byte load address (4 bytes, big-endian) followed by the
// image bytes exactly as written to flash. A radio that received a wrong or missing block computes a
// different value and refuses the image.
Signature SignImage(uint32_t startAddress, const uint8_t* bytes, size_t count);

// Incremental form, for a radio that sees the image block by block.
class ImageSigner {
public:
  explicit ImageSigner(uint32_t startAddress);
  void Update(const uint8_t* bytes, size_t count);
  Signature Finish();

private:
  struct Sha1 {
    std::array<uint32_t, 5> h{};
    std::array<uint8_t, 64> block{};
    size_t used = 0;
    uint64_t total = 0;
    void Start();
    void Update(const uint8_t* bytes, size_t count);
    std::array<uint8_t, 20> Finish();
    void Compress();
  };
  Sha1 inner_;
  std::array<uint8_t, 64> outerPad_{};
};

}  // namespace p25::placeholder
