// The stop is a manual-reset event: every waiting thread wakes when it is set, and setting it is safe
// from the console's control handler, which runs on a thread of its own.
#include <windows.h>

#include "platform/StopSignal.h"

namespace p25 {

StopSignal::StopSignal() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

StopSignal::~StopSignal() {
  if (event_ != nullptr) CloseHandle(event_);
}

void StopSignal::Raise() {
  raised_.store(true, std::memory_order_relaxed);
  if (event_ != nullptr) SetEvent(event_);
}

bool StopSignal::Wait(uint64_t us) const {
  if (Raised()) return true;
  const DWORD ms = static_cast<DWORD>((us + 999) / 1000);
  if (event_ == nullptr) {
    Sleep(ms);
    return Raised();
  }
  return WaitForSingleObject(event_, ms) == WAIT_OBJECT_0 || Raised();
}

}  // namespace p25
