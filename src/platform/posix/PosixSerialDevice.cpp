// termios backend: exclusive open (flock and TIOCEXCL, since root ignores TIOCEXCL), raw 8N1,
// non-blocking reads, writes bounded by the write time-out.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace p25 {

namespace {

bool RateConstant(uint32_t baud, speed_t& speed) {
  switch (baud) {
    case 1200: speed = B1200; return true;
    case 2400: speed = B2400; return true;
    case 4800: speed = B4800; return true;
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    case 230400: speed = B230400; return true;
    default: return false;
  }
}

// Errors by which the kernel says the device itself is gone, not that one transfer failed.
bool IsLossError(int err) { return err == EIO || err == ENXIO || err == ENODEV; }

constexpr short kLossEvents = POLLHUP | POLLERR | POLLNVAL;

int64_t MonotonicMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000000 + ts.tv_nsec / 1000;
}

class PosixSerialDevice final : public SerialDevice {
public:
  ~PosixSerialDevice() override { Close(); }

  bool Open(const std::string& name) override {
    Close();
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      // Another program (or another of our own opens) holds the port.
      const int err = errno;
      ::close(fd);
      errno = err;
      return Fail();
    }
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
      const int err = errno;
      ::close(fd);
      errno = err;
      return Fail();
    }
    fd_ = fd;
    lost_ = false;
    return true;
  }

  bool GetState() override {
    if (fd_ < 0) return FailWith(EBADF);
    if (::tcgetattr(fd_, &state_) != 0) return Fail();
    return true;
  }

  bool SetState(uint32_t baudRate) override {
    if (fd_ < 0) return FailWith(EBADF);
    speed_t speed{};
    if (!RateConstant(baudRate, speed)) return FailWith(EINVAL);
    termios t = state_;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return Fail();
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return Fail();
    // A driver may accept the call yet keep an old setting; read it back.
    termios check{};
    if (::tcgetattr(fd_, &check) != 0) return Fail();
    if (::cfgetospeed(&check) != speed || (check.c_cflag & CSIZE) != CS8) return FailWith(EINVAL);
    int lines = TIOCM_DTR | TIOCM_RTS;
    // A device without modem lines (a pseudo-terminal) is still a usable port.
    if (::ioctl(fd_, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL && errno != ENOTSUP)
      return Fail();
    state_ = t;
    return true;
  }

  bool SetTimeouts(const SerialTimeouts& timeouts) override {
    if (fd_ < 0) return FailWith(EBADF);
    timeouts_ = timeouts;
    return true;
  }

  bool Read(uint8_t* destination, size_t count, size_t& bytesRead) override {
    bytesRead = 0;
    // A clean wait speaks only for the read that follows it.
    struct Forget {
      bool& flag;
      ~Forget() { flag = false; }
    } forget{waitedCleanly_};
    if (fd_ < 0) return FailWith(EBADF);
    if (count == 0) return true;
    if (lost_) return FailWith(lastError_);
    for (;;) {
      const ssize_t n = ::read(fd_, destination, count);
      if (n > 0) {
        bytesRead = static_cast<size_t>(n);
        return true;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail();
      // Nothing to read: a hung-up terminal says so only through poll (its reads just return 0). A
      // wait that has just polled the line cleanly has asked already.
      if (waitedCleanly_) return true;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 0) > 0 && (p.revents & kLossEvents) != 0) return Lose(EIO);
      return true;
    }
  }

  bool Write(const uint8_t* data, size_t count, size_t& bytesWritten) override {
    bytesWritten = 0;
    if (fd_ < 0) return FailWith(EBADF);
    const int64_t allowed = int64_t{timeouts_.writeTotalTimeoutMultiplier} * static_cast<int64_t>(count) +
                            int64_t{timeouts_.writeTotalTimeoutConstant};
    const int64_t deadline = MonotonicMicros() + allowed * 1000;
    while (bytesWritten < count) {
      const ssize_t n = ::write(fd_, data + bytesWritten, count - bytesWritten);
      if (n > 0) {
        bytesWritten += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail();
      if (lost_) return FailWith(lastError_);
      const int64_t left = deadline - MonotonicMicros();
      if (left <= 0) return true;  // the time-out expired: a partial write
      pollfd p{fd_, POLLOUT, 0};
      const int waitMs = static_cast<int>((left + 999) / 1000);
      const int r = ::poll(&p, 1, waitMs);
      if (r < 0 && errno != EINTR) return Fail();
      if (r > 0 && (p.revents & kLossEvents) != 0) return Lose(EIO);
    }
    return true;
  }

  void Close() override {
    if (fd_ < 0) return;
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }

  bool IsOpen() const override { return fd_ >= 0; }
  uint32_t LastError() const override { return lastError_; }
  bool DeviceLost() const override { return lost_; }

  void WaitForInput(Clock& clock, uint64_t maxMicros) override {
    if (fd_ < 0) {
      clock.SleepMicros(maxMicros);
      return;
    }
    if (lost_) return;
    pollfd p{fd_, POLLIN, 0};
    timespec ts{static_cast<time_t>(maxMicros / 1000000), static_cast<long>((maxMicros % 1000000) * 1000)};
    // A hang-up wakes this at once; the read that follows reports it, and the caller stops waiting.
    const int r = ::ppoll(&p, 1, &ts, nullptr);
    waitedCleanly_ = r >= 0 && (p.revents & kLossEvents) == 0;
  }

private:
  bool Fail() {
    const int err = errno;
    if (IsLossError(err)) lost_ = true;
    return FailWith(err);
  }
  bool FailWith(int err) {
    lastError_ = static_cast<uint32_t>(err);
    return false;
  }
  bool Lose(int err) {
    lost_ = true;
    return FailWith(err);
  }

  int fd_ = -1;
  termios state_{};
  SerialTimeouts timeouts_{};
  uint32_t lastError_ = 0;
  bool lost_ = false;
  bool waitedCleanly_ = false;  // the last wait polled the line and saw no hang-up
};

}  // namespace

std::unique_ptr<SerialDevice> CreateSystemSerialDevice() { return std::make_unique<PosixSerialDevice>(); }

std::string SystemErrorText(uint32_t code) { return std::strerror(static_cast<int>(code)); }

}  // namespace p25
