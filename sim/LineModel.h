#pragma once
#include <cstdint>
#include <vector>

namespace p25 {

// Line time of one byte: start bit, 8 data bits, stop bit.
inline uint64_t ByteMicros(uint32_t rate) { return rate == 0 ? 0 : (10'000'000ull + rate - 1) / rate; }

// What a UART at one rate makes of bytes sent at another. A receiver faster than the sender sees each
// byte as two or more broken bytes; a slower one sees one broken byte per two or more sent. Broken
// bytes are drawn from 0xE0..0xEF, which never forms a CR, a frame byte or a letter, so the result is
// as useless as on a real line but deterministic for tests.
class RateGarbler {
public:
  void Pass(uint8_t byte, uint32_t senderRate, uint32_t receiverRate, std::vector<uint8_t>& out);

private:
  uint32_t skipped_ = 0;
  uint8_t mix_ = 0x5A;
};

}  // namespace p25
