#pragma once
#include <cstdint>
#include <map>

namespace p25 {

class Clock;
class UpdateEngine;

// Window-timer behaviour for front ends without window timers (the terminal, tests): periodic timers
// by id whose expiries never pile up, so a tick that ran late is followed by at most one more at once.
class TimerSchedule {
public:
  void Start(int id, uint32_t periodMs, uint64_t nowMs);
  void Stop(int id);
  bool Running(int id) const { return timers_.count(id) != 0; }
  bool Empty() const { return timers_.empty(); }

  // Sleeps on the clock until the next timer is due and delivers it to the engine. False when no
  // timer runs.
  bool PumpOnce(UpdateEngine& engine, Clock& clock);
  // Time spent waiting for a timer to fall due, summed over every PumpOnce.
  uint64_t IdleMs() const { return idleMs_; }

private:
  struct Timer {
    uint32_t periodMs;
    uint64_t dueMs;
  };
  std::map<int, Timer> timers_;
  uint64_t idleMs_ = 0;
};

}  // namespace p25
