#include "LineModel.h"

#include <algorithm>

namespace p25 {

void RateGarbler::Pass(uint8_t byte, uint32_t senderRate, uint32_t receiverRate, std::vector<uint8_t>& out) {
  if (senderRate == receiverRate) {
    skipped_ = 0;
    out.push_back(byte);
    return;
  }
  mix_ = static_cast<uint8_t>(mix_ * 5 + 1 + byte);
  const auto broken = [&](uint32_t i) { return static_cast<uint8_t>(0xE0 | ((mix_ + i * 7) & 0x0F)); };
  if (senderRate == 0 || receiverRate == 0) return;
  if (senderRate > receiverRate) {
    const uint32_t ratio = std::max<uint32_t>(2, (senderRate + receiverRate / 2) / receiverRate);
    if (++skipped_ >= ratio) {
      skipped_ = 0;
      out.push_back(broken(0));
    }
    return;
  }
  const uint32_t ratio = std::clamp<uint32_t>((receiverRate + senderRate / 2) / senderRate, 2, 4);
  for (uint32_t i = 0; i < ratio; ++i) out.push_back(broken(i));
}

}  // namespace p25
