#pragma once
#include <atomic>
#include <cstdint>

namespace p25 {

// A request to stop, raised from a signal handler or another thread. Pauses on a clock that watches
// it end at once, and the link sends no further request once it is raised; a request already on the
// line is let finish, so the link stays in step with the radio.
class StopSignal {
public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // Safe in a signal handler.
  void Raise();
  bool Raised() const { return raised_.load(std::memory_order_relaxed); }
  // Sleeps up to us, waking as soon as the stop is raised; true when it has been.
  bool Wait(uint64_t us) const;

private:
  std::atomic<bool> raised_{false};
#ifdef _WIN32
  void* event_ = nullptr;
#else
  int pipe_[2] = {-1, -1};
#endif
};

}  // namespace p25
