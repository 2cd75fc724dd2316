#include "WaitPainting.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

namespace p25 {

void WaitPainter::SetActive(bool active) {
  active_ = active;
  if (active) since_.start();
}

void WaitPainter::Pump() {
  if (!active_ || pumping_) return;
  if (since_.isValid() && since_.elapsed() < kIntervalMs) return;
  pumping_ = true;
  heldInput_ = true;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  pumping_ = false;
  since_.start();
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
