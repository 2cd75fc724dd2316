// The stop wakes sleepers through a pipe that becomes readable and stays so: any number of threads
// waiting on it wake together, and raising it is a single write, safe in a signal handler.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/StopSignal.h"

namespace p25 {

StopSignal::StopSignal() {
  if (::pipe(pipe_) == 0) {
    for (int fd : pipe_) {
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
}

StopSignal::~StopSignal() {
  for (int fd : pipe_)
    if (fd >= 0) ::close(fd);
}

void StopSignal::Raise() {
  raised_.store(true, std::memory_order_relaxed);
  if (pipe_[1] >= 0) {
    const char byte = 1;
    ssize_t ignored = ::write(pipe_[1], &byte, 1);
    (void)ignored;
  }
}

bool StopSignal::Wait(uint64_t us) const {
  using std::chrono::steady_clock;
  const auto until = steady_clock::now() + std::chrono::microseconds(us);
  while (!Raised()) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd p{pipe_[0], POLLIN, 0};
    // Rounded up: a pause is never cut short by rounding.
    const int r = ::poll(&p, pipe_[0] >= 0 ? 1 : 0, static_cast<int>((left + 999) / 1000));
    if (r < 0 && errno != EINTR) return Raised();
  }
  return true;
}

}  // namespace p25
