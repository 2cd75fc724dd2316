#include "PlaceholderSignature.h"

#include <cstring>

namespace p25::placeholder {

namespace {
// Shared by the placeholder generator and the simulated radio only.
constexpr char kKey[] = "p25update placeholder firmware signing key";

uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
}  // namespace

void ImageSigner::Sha1::Start() {
  h = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  used = 0;
  total = 0;
}

void ImageSigner::Sha1::Compress() {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i)
    w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 | uint32_t{block[4 * i + 2]} << 8 |
           block[4 * i + 3];
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) { f = (b & c) | (~b & d); k = 0x5A827999u; }
    else if (i < 40) { f = b ^ c ^ d; k = 0x6ED9EBA1u; }
    else if (i < 60) { f = (b & c) | (b & d) | (c & d); k = 0x8F1BBCDCu; }
    else { f = b ^ c ^ d; k = 0xCA62C1D6u; }
    const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
    e = d; d = c; c = Rotl(b, 30); b = a; a = t;
  }
  h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e;
}

void ImageSigner::Sha1::Update(const uint8_t* bytes, size_t count) {
  total += count;
  while (count > 0) {
    const size_t take = count < 64 - used ? count : 64 - used;
    std::memcpy(block.data() + used, bytes, take);
    used += take;
    bytes += take;
    count -= take;
    if (used == 64) {
      Compress();
      used = 0;
    }
  }
}

std::array<uint8_t, 20> ImageSigner::Sha1::Finish() {
  const uint64_t bits = total * 8;
  const uint8_t one = 0x80;
  Update(&one, 1);
  const uint8_t zero = 0;
  while (used != 56) Update(&zero, 1);
  uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(length, 8);
  std::array<uint8_t, 20> out{};
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<uint8_t>(h[i] >> (24 - 8 * j));
  return out;
}

ImageSigner::ImageSigner(uint32_t startAddress) {
  std::array<uint8_t, 64> key{};
  std::memcpy(key.data(), kKey, sizeof kKey - 1);
  std::array<uint8_t, 64> innerPad{};
  for (size_t i = 0; i < 64; ++i) {
    innerPad[i] = key[i] ^ 0x36;
    outerPad_[i] = key[i] ^ 0x5C;
  }
  inner_.Start();
  inner_.Update(innerPad.data(), innerPad.size());
  const uint8_t address[4] = {static_cast<uint8_t>(startAddress >> 24), static_cast<uint8_t>(startAddress >> 16),
                              static_cast<uint8_t>(startAddress >> 8), static_cast<uint8_t>(startAddress)};
  inner_.Update(address, 4);
}

void ImageSigner::Update(const uint8_t* bytes, size_t count) { inner_.Update(bytes, count); }

Signature ImageSigner::Finish() {
  const auto innerDigest = inner_.Finish();
  Sha1 outer;
  outer.Start();
  outer.Update(outerPad_.data(), outerPad_.size());
  outer.Update(innerDigest.data(), innerDigest.size());
  return outer.Finish();
}

Signature SignImage(uint32_t startAddress, const uint8_t* bytes, size_t count) {
  ImageSigner signer(startAddress);
  signer.Update(bytes, count);
  return signer.Finish();
}

}  // namespace p25::placeholder
