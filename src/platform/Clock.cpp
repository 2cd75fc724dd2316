#include "platform/Clock.h"

#include "platform/StopSignal.h"

#include <chrono>
#include <thread>

namespace p25 {

namespace {
uint64_t MonotonicMicros() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}
}  // namespace

RealClock::RealClock() : start_(MonotonicMicros()) {}

uint64_t RealClock::ElapsedMicros() const { return MonotonicMicros() - start_; }

void RealClock::SleepMicros(uint64_t us) {
  // sleep_for may wake early on some systems; a nominal pause is never cut short.
  const uint64_t until = ElapsedMicros() + us;
  for (uint64_t now = ElapsedMicros(); now < until; now = ElapsedMicros())
    std::this_thread::sleep_for(std::chrono::microseconds(until - now));
}

bool Clock::PauseMicros(uint64_t us) {
  if (stop_ != nullptr && stop_->Raised()) return false;
  SleepMicros(us);
  return true;
}

bool RealClock::PauseMicros(uint64_t us) {
  if (stop_ == nullptr) return Clock::PauseMicros(us);
  return !stop_->Wait(us);
}

void VirtualClock::Advance(uint64_t us) {
  now_ += us;
  if (listener_ != nullptr) listener_->TimeAdvanced(now_);
}

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

}  // namespace p25
