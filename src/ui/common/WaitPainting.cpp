#include "WaitPainting.h"

#include <algorithm>

namespace p25 {

void WaitPainter::SetActive(bool active) {
  active_ = active;
  if (active) last_ = std::chrono::steady_clock::now();
}

void WaitPainter::Pump() {
  if (!active_ || pumping_) return;
  const auto now = std::chrono::steady_clock::now();
  if (last_ && now - *last_ < std::chrono::milliseconds(kIntervalMs)) return;
  pumping_ = true;
  heldInput_ = true;
  PaintPending();
  pumping_ = false;
  last_ = std::chrono::steady_clock::now();
}

void PaintingClock::SleepMicros(uint64_t us) {
  while (us > 0) {
    const uint64_t slice = std::min(us, kSliceMicros);
    inner_.SleepMicros(slice);
    us -= slice;
    painter_.Pump();
  }
}

void PaintingSerialDevice::WaitForInput(Clock& clock, uint64_t maxMicros) {
  inner_->WaitForInput(clock, maxMicros);
  painter_.Pump();
}

}  // namespace p25
