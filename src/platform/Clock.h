#pragma once
#include <cstdint>

namespace p25 {

class StopSignal;

// Every sleep and every clock reading goes through a Clock, so a whole update can run on virtual time.
class Clock {
public:
  virtual ~Clock() = default;
  // Time since the clock started, in microseconds (waits are measured finer than the 10 ms poll tick).
  virtual uint64_t ElapsedMicros() const = 0;
  virtual void SleepMicros(uint64_t us) = 0;

  uint64_t ElapsedMs() const { return ElapsedMicros() / 1000; }
  void SleepMs(uint32_t ms) { SleepMicros(uint64_t{ms} * 1000); }

  // A pause between steps: a sleep that ends early, returning false, once the watched stop is
  // raised. Waits that belong to a request on the line are sleeps, never pauses.
  virtual bool PauseMicros(uint64_t us);
  bool PauseMs(uint32_t ms) { return PauseMicros(uint64_t{ms} * 1000); }
  void WatchStop(const StopSignal* stop) { stop_ = stop; }

protected:
  const StopSignal* stop_ = nullptr;
};

// Wall-clock time, counted from construction.
class RealClock final : public Clock {
public:
  RealClock();
  uint64_t ElapsedMicros() const override;
  void SleepMicros(uint64_t us) override;
  bool PauseMicros(uint64_t us) override;

private:
  uint64_t start_;
};

// Time that moves only when someone sleeps; the listener lets a simulated peer run up to the new time.
class VirtualClock final : public Clock {
public:
  uint64_t ElapsedMicros() const override { return now_; }
  void SleepMicros(uint64_t us) override { Advance(us); }
  void Advance(uint64_t us);

  class Listener {
  public:
    virtual ~Listener() = default;
    virtual void TimeAdvanced(uint64_t nowMicros) = 0;
  };
  void SetListener(Listener* listener) { listener_ = listener; }

private:
  uint64_t now_ = 0;
  Listener* listener_ = nullptr;
};

// The process-wide real clock the programs use.
Clock& SystemClock();

}  // namespace p25
