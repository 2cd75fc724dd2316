// The POSIX serial backend on a real terminal: a pseudo-terminal whose master side plays the radio.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "link/SerialPort.h"
#include "support/Wire.h"

namespace p25::test {
namespace {

class PseudoTerminal : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
    slave = ::ptsname(master);
  }
  void TearDown() override {
    port.Close();
    ::close(master);
  }

  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  std::string slave;
  RealClock clock;
  LinkStatus status;
  SerialPort port{status, CreateSystemSerialDevice(), clock};
};

TEST_F(PseudoTerminal, OpenSetsTheRateAndRawEightBitsNoParityOneStopBit) {
  for (auto [rate, speed] : {std::pair{9600u, B9600}, {19200u, B19200}, {38400u, B38400}}) {
    ASSERT_TRUE(port.Open(slave, rate)) << status.ErrorText();
    termios t{};
    ASSERT_EQ(::tcgetattr(master, &t), 0);  // the master reports the slave's settings
    EXPECT_EQ(::cfgetospeed(&t), speed);
    EXPECT_EQ(::cfgetispeed(&t), speed);
    const tcflag_t control = CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL | CLOCAL | CREAD;
    EXPECT_EQ(t.c_cflag & control, tcflag_t{CS8 | CLOCAL | CREAD});
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN] + t.c_cc[VTIME], 0);
  }
}

TEST_F(PseudoTerminal, SecondOpenOfAHeldPortFailsWithTheOsErrorEvenForRoot) {
  ASSERT_TRUE(port.Open(slave, 9600));
  LinkStatus otherStatus;
  SerialPort other(otherStatus, CreateSystemSerialDevice(), clock);
  EXPECT_FALSE(other.Open(slave, 9600) || other.IsOpen());
  EXPECT_EQ(otherStatus.ErrorCode(), 11u);
  EXPECT_EQ(otherStatus.ErrorText(), "Failed to open communications port");
  EXPECT_EQ(otherStatus.SystemErrorCode(), uint32_t{EWOULDBLOCK});
  port.Close();
  EXPECT_TRUE(other.Open(slave, 9600)) << otherStatus.ErrorText();
}

TEST_F(PseudoTerminal, BytesFlowBothWaysUntranslated) {
  ASSERT_TRUE(port.Open(slave, 38400));
  // Carriage returns, line feeds, flow-control and signal characters all pass as they are.
  const Bytes message = Hex("1D 16 08 0D 0A 03 11 13 7F 1C 04"), line = Wire(message);
  ASSERT_TRUE(port.Write(line.data(), line.size()));
  Bytes got(line.size());
  pollfd p{master, POLLIN, 0};
  for (size_t n = 0; n < got.size() && ::poll(&p, 1, 2000) > 0;) {
    const ssize_t r = ::read(master, got.data() + n, got.size() - n);
    ASSERT_GT(r, 0);
    n += static_cast<size_t>(r);
  }
  EXPECT_EQ(got, line);

  ASSERT_EQ(::write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  port.StartTimer(2000);
  Level2Frame frame(&status);
  ASSERT_TRUE(port.ReceiveFrame(frame) && frame.CheckCrc()) << status.ErrorText();
  EXPECT_EQ(Bytes(frame.Data(), frame.Data() + frame.length), message);
}

TEST_F(PseudoTerminal, HungUpLineEndsTheWaitAtOnceWithTheOsReason) {
  ASSERT_TRUE(port.Open(slave, 9600));
  ::close(master);  // the radio's side goes away, as when its USB adapter is pulled
  master = -1;
  const uint64_t start = clock.ElapsedMs();
  port.StartTimer(30000);
  Level2Frame frame(&status);
  EXPECT_FALSE(port.ReceiveFrame(frame));
  EXPECT_LT(clock.ElapsedMs() - start, 5000u);  // nowhere near the 30 s window
  EXPECT_TRUE(port.DeviceLost());
  EXPECT_EQ(status.ErrorCode(), 3u);
  EXPECT_EQ(status.SystemErrorCode(), uint32_t{EIO});
  const Bytes line = Wire(Hex("1D 16"));
  EXPECT_FALSE(port.SendWithAck(Level2Frame(&status)));
  EXPECT_NE(status.SystemErrorCode(), 0u);
  EXPECT_FALSE(port.Write(line.data(), line.size()));
  EXPECT_EQ(status.ErrorCode(), 2u);
}

TEST_F(PseudoTerminal, WriteThatCannotDrainFailsAsAPartialWriteAfterItsTimeOut) {
  // Fill the line towards the radio, which never reads, before the port takes it. The terminal moves
  // bytes on to the master side in the background, so the line is full only when writes stay refused.
  const int filler = ::open(slave.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY);
  termios raw{};
  ASSERT_EQ(::tcgetattr(filler, &raw), 0);
  ::cfmakeraw(&raw);
  ASSERT_EQ(::tcsetattr(filler, TCSANOW, &raw), 0);
  const Bytes block(4096, 0x55);
  for (int refused = 0; refused < 5; ::usleep(20000)) {
    refused = ::write(filler, block.data(), block.size()) > 0 ? 0 : refused + 1;
  }
  ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);
  ASSERT_TRUE(port.Open(slave, 38400)) << status.ErrorText();
  ::close(filler);

  // At 38400 baud a 522-byte frame is allowed 1000 + 522 ms.
  const Bytes frame(522, 0x11);
  const uint64_t start = clock.ElapsedMs();
  EXPECT_FALSE(port.Write(frame.data(), frame.size()));
  EXPECT_GE(clock.ElapsedMs() - start, 1000u + 522u);
  EXPECT_EQ(status.ErrorCode(), 2u);
  EXPECT_EQ(status.ErrorText(), "Failed to write full message to serial port");
  EXPECT_EQ(status.SystemErrorCode(), 0u);
}

}  // namespace
}  // namespace p25::test
