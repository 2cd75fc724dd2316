#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace p25 {

namespace {

constexpr size_t kOutputLimit = 65536;
constexpr uint64_t kIdleWaitMicros = 1'000'000;
constexpr uint64_t kStaleLockCheckMicros = 50'000;

uint32_t RateOf(speed_t speed) {
  switch (speed) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
  }
}

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PtyServer::~PtyServer() { CloseLine(); }

void PtyServer::CloseLine() {
  if (!linkPath_.empty()) {
    // Remove the link only if it is still ours.
    std::array<char, PATH_MAX> target{};
    const ssize_t n = ::readlink(linkPath_.c_str(), target.data(), target.size() - 1);
    if (n > 0 && std::string(target.data(), static_cast<size_t>(n)) == slavePath_) ::unlink(linkPath_.c_str());
  }
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
  input_.clear();
  output_.clear();
}

bool PtyServer::Open(const std::string& linkPath, std::string& error) {
  linkPath_ = linkPath;
  if (!OpenLine(error)) return false;
  readyAt_ = clock_.ElapsedMicros();
  return true;
}

bool PtyServer::OpenLine(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) {
    error = Errno("posix_openpt");
    return false;
  }
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = Errno("grantpt/unlockpt");
    return false;
  }
  std::array<char, 128> name{};
  if (::ptsname_r(master_, name.data(), name.size()) != 0) {
    error = Errno("ptsname");
    return false;
  }
  slavePath_ = name.data();
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  // Holding the slave open keeps the master from reading EIO between the client's opens, and keeps
  // the client's settings. It is not locked: the client locks it for itself.
  slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) {
    error = Errno(("open " + slavePath_).c_str());
    return false;
  }
  termios t{};
  if (::tcgetattr(slave_, &t) == 0) {
    // Raw from the start, so nothing the radio says is echoed back to it before a client configures it.
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    ::tcsetattr(slave_, TCSANOW, &t);
  }
  struct stat st{};
  if (::lstat(linkPath_.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      error = linkPath_ + " exists and is not a symbolic link";
      return false;
    }
    ::unlink(linkPath_.c_str());
  }
  if (::symlink(slavePath_.c_str(), linkPath_.c_str()) != 0) {
    error = Errno(("symlink " + linkPath_).c_str());
    return false;
  }
  inputFree_ = clock_.ElapsedMicros();
  return true;
}

bool PtyServer::PullDue(uint64_t now) const {
  if (pulled_) return false;
  if (cable_.pullAfterWrites > 0 && radio_.Stats().writes >= cable_.pullAfterWrites) return true;
  return cable_.pullAfterMicros && now >= readyAt_ + *cable_.pullAfterMicros;
}

void PtyServer::PullCable(uint64_t now) {
  pulled_ = unplugged_ = true;
  CloseLine();
  if (cable_.replugAfterMicros) replugAt_ = now + *cable_.replugAfterMicros;
  radio_.Note("cable pulled");
  timespec wall{};
  ::clock_gettime(CLOCK_REALTIME, &wall);
  char line[64];
  std::snprintf(line, sizeof line, "UNPLUGGED %lld.%06ld", static_cast<long long>(wall.tv_sec), wall.tv_nsec / 1000);
  if (announce_) announce_(line);
}

void PtyServer::ReleaseStaleExclusiveMode(uint64_t now) {
  if (slave_ < 0 || now < staleCheckAt_) return;
  staleCheckAt_ = now + kStaleLockCheckMicros;
  // A port's exclusive mode ends with its last close; ours never closes, so a client killed while it
  // held the port would keep it from everyone. Exclusive without the client's lock means it is gone.
  int exclusive = 0;
  exclusive_ = ::ioctl(slave_, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
  if (!exclusive_ || ::flock(slave_, LOCK_EX | LOCK_NB) != 0) return;
  ::ioctl(slave_, TIOCNXCL);
  ::flock(slave_, LOCK_UN);
  exclusive_ = false;
}

uint32_t PtyServer::ClientRate() const {
  termios t{};
  if (::tcgetattr(slave_, &t) != 0) return 0;
  return RateOf(::cfgetospeed(&t));
}

void PtyServer::Exchange(uint64_t now) {
  while (!input_.empty() && input_.front().at <= now) {
    const Arrival a = input_.front();
    input_.pop_front();
    radio_.Hear(a.at, a.byte, a.rate);
  }
  radio_.RunUntil(now);
  uint8_t byte = 0;
  uint32_t rate = 0;
  const uint32_t clientRate = ClientRate();
  while (radio_.TakeOutput(now, byte, rate)) {
    if (master_ < 0) continue;  // sent into a pulled cable
    scratch_.clear();
    garbler_.Pass(byte, rate, clientRate, scratch_);
    for (uint8_t b : scratch_)
      if (output_.size() < kOutputLimit) output_.push_back(b);
  }
}

bool PtyServer::ReadInput(std::string& error) {
  std::array<uint8_t, 4096> buffer{};
  for (;;) {
    const ssize_t n = ::read(master_, buffer.data(), buffer.size());
    if (n > 0) {
      const uint32_t rate = ClientRate();
      const uint64_t now = clock_.ElapsedMicros();
      for (ssize_t i = 0; i < n; ++i) {
        // The pseudo-terminal hands bytes over at once; on a paced line each takes its 10 bits.
        const uint64_t at = realtime_ ? std::max(now, inputFree_) + ByteMicros(rate) : now;
        inputFree_ = at;
        input_.push_back({at, buffer[static_cast<size_t>(i)], rate});
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EIO) return true;
    error = Errno("read from pseudo-terminal");
    return false;
  }
}

bool PtyServer::FlushOutput(std::string& error) {
  while (!output_.empty()) {
    const ssize_t n = ::write(master_, output_.data(), output_.size());
    if (n > 0) {
      output_.erase(output_.begin(), output_.begin() + n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    error = Errno("write to pseudo-terminal");
    return false;
  }
  return true;
}

bool PtyServer::Serve(const sigset_t& waitMask, volatile std::sig_atomic_t& stop,
                      volatile std::sig_atomic_t& powerCycle, std::string& error) {
  while (stop == 0) {
    if (powerCycle != 0) {
      powerCycle = 0;
      radio_.PowerCycle();
    }
    const uint64_t now = clock_.ElapsedMicros();
    if (unplugged_ && cable_.replugAfterMicros && now >= replugAt_) {
      if (!OpenLine(error)) return false;
      unplugged_ = false;
      radio_.Note("cable plugged in: " + slavePath_);
      if (announce_) announce_("PLUGGED " + slavePath_);
    }
    Exchange(now);
    ReleaseStaleExclusiveMode(now);
    if (PullDue(now)) PullCable(now);
    if (!unplugged_ && !FlushOutput(error)) return false;

    uint64_t next = now + kIdleWaitMicros;
    if (!input_.empty()) next = std::min(next, input_.front().at);
    if (const auto wake = radio_.NextWakeup()) next = std::min(next, *wake);
    if (unplugged_ && cable_.replugAfterMicros) next = std::min(next, replugAt_);
    if (!pulled_ && cable_.pullAfterMicros) next = std::min(next, readyAt_ + *cable_.pullAfterMicros);
    if (exclusive_) next = std::min(next, staleCheckAt_);
    const uint64_t wait = next > now ? next - now : 0;
    timespec ts{static_cast<time_t>(wait / 1'000'000), static_cast<long>((wait % 1'000'000) * 1000)};
    pollfd p{master_, static_cast<short>(POLLIN | (output_.empty() ? 0 : POLLOUT)), 0};
    // With the cable out there is no line to watch, only time and signals.
    const int r = ::ppoll(unplugged_ ? nullptr : &p, unplugged_ ? 0 : 1, &ts, &waitMask);
    if (r < 0) {
      if (errno == EINTR) continue;
      error = Errno("ppoll");
      return false;
    }
    if (r > 0 && (p.revents & POLLIN) != 0 && !ReadInput(error)) return false;
    if (r > 0 && (p.revents & POLLIN) == 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      // Nothing to read but the descriptor keeps waking us: wait a little instead of spinning.
      const timespec pause{0, 10'000'000};
      ::nanosleep(&pause, nullptr);
    }
  }
  return true;
}

}  // namespace p25
