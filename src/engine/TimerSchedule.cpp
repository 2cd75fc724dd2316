#include "engine/TimerSchedule.h"

#include "engine/UpdateEngine.h"
#include "platform/Clock.h"

namespace p25 {

void TimerSchedule::Start(int id, uint32_t periodMs, uint64_t nowMs) { timers_[id] = Timer{periodMs, nowMs + periodMs}; }

void TimerSchedule::Stop(int id) { timers_.erase(id); }

bool TimerSchedule::PumpOnce(UpdateEngine& engine, Clock& clock) {
  if (timers_.empty()) return false;
  auto next = timers_.begin();
  for (auto it = timers_.begin(); it != timers_.end(); ++it)
    if (it->second.dueMs < next->second.dueMs) next = it;
  const int id = next->first;
  const uint64_t due = next->second.dueMs;
  const uint64_t now = clock.ElapsedMs();
  if (due > now) {
    idleMs_ += due - now;
    // A stop raised meanwhile is the caller's to handle before any tick runs.
    if (!clock.PauseMs(static_cast<uint32_t>(due - now))) return true;
  }
  next->second.dueMs = due + next->second.periodMs;
  engine.OnTimer(id);
  // The handler may have stopped or restarted the timer; an overdue one fires once, at once.
  auto still = timers_.find(id);
  if (still != timers_.end() && still->second.dueMs < clock.ElapsedMs()) still->second.dueMs = clock.ElapsedMs();
  return true;
}

}  // namespace p25
