// p25radio-sim as a process: the updater's own serial device on the program's pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "platform/SerialDevice.h"

extern char** environ;

namespace p25 {
namespace {

// A running p25radio-sim, stopped with SIGTERM when the test is done with it.
class SimProcess {
public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), P25_RADIO_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    stdout_ = out[0];
  }
  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) ::close(stdout_);
  }

  // The next line the program prints, within the time-out.
  std::string NextLine(int timeoutMs = 10'000) {
    while (printed_.find('\n') == std::string::npos) {
      pollfd p{stdout_, POLLIN, 0};
      if (::poll(&p, 1, timeoutMs) <= 0) break;
      char buffer[256];
      const ssize_t n = ::read(stdout_, buffer, sizeof buffer);
      if (n <= 0) break;
      printed_.append(buffer, static_cast<size_t>(n));
    }
    const size_t end = printed_.find('\n');
    const std::string line = printed_.substr(0, end);
    printed_.erase(0, end == std::string::npos ? end : end + 1);
    return line;
  }

  // Stops the program and gives its exit status, or -1 if it did not exit normally.
  int Stop(int signal = SIGTERM) {
    if (signal != 0) ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  bool Started() const { return pid_ > 0; }

private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  std::string printed_;
};

TEST(RadioSimProgram, ServesConnectSerialQueryAndRateChangeOnItsPseudoTerminal) {
  const std::string dir = ::testing::TempDir() + "p25sim-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  const std::string linkPath = dir + "/radio";
  const std::string transcript = dir + "/transcript.txt";
  SimProcess sim({"--link", linkPath, "--serial", "4242", "--transcript", transcript, "--realtime"});
  ASSERT_TRUE(sim.Started());
  const std::string ready = sim.NextLine();
  ASSERT_EQ(ready.rfind("READY /dev/", 0), 0u) << ready;
  EXPECT_EQ(std::filesystem::read_symlink(linkPath).string(), ready.substr(6));

  {
    RadioLink link(CreateSystemSerialDevice(), SystemClock());
    ASSERT_TRUE(link.Connect(linkPath)) << link.LastError();
    EXPECT_EQ(link.LastError(), "");
    uint32_t serial = 0;
    ASSERT_TRUE(link.ReadSerialNumber(serial)) << link.LastError();
    EXPECT_EQ(serial, 4242u);

    ASSERT_TRUE(simtest::BootIntoFlashCode(link, simtest::MakeImage(100))) << link.LastError();
    ASSERT_TRUE(link.ChangeBaudRate(38400)) << link.LastError();
    uint32_t features = 0;
    ASSERT_TRUE(link.OpenComms(linkPath, 38400)) << link.LastError();
    EXPECT_TRUE(link.ReadHwFeatures(features)) << link.LastError();
    EXPECT_EQ(features, 1u);
    ASSERT_TRUE(link.OpenComms(linkPath, 9600));
    EXPECT_FALSE(link.ReadHwFeatures(features)) << "the radio is at 38400 now";
    link.CloseComms();
  }

  // A client killed while it held the port leaves it free, as a real port's last close does.
  int fd = ::open(linkPath.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ioctl(fd, TIOCEXCL), 0);
  ::close(fd);
  int exclusive = 1;
  for (int i = 0; i < 100 && exclusive != 0; ++i) {
    ::usleep(20'000);
    fd = ::open(linkPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    ::close(fd);
  }
  EXPECT_EQ(exclusive, 0);

  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(linkPath));
  std::ifstream in(transcript);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("ChangeBaudRate Confirm"), std::string::npos);
  std::filesystem::remove_all(dir);
}

TEST(RadioSimProgram, PulledCableHangsUpTheLineAndComesBackUnderTheSameLinkWithTheRadioAsItWas) {
  const std::string dir = ::testing::TempDir() + "p25sim-cable-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  const std::string linkPath = dir + "/radio";
  SimProcess sim({"--link", linkPath, "--start-mode", "flash-code", "--pull-cable-after-seconds", "1",
                  "--replug-after-seconds", "0.2"});
  ASSERT_EQ(sim.NextLine().rfind("READY /dev/", 0), 0u);
  {
    RadioLink link(CreateSystemSerialDevice(), SystemClock());
    ASSERT_TRUE(link.OpenComms(linkPath, 9600)) << link.LastError();
    ASSERT_TRUE(link.SetSerialNumber(777)) << link.LastError();
    link.CloseComms();
  }

  // The slave the updater holds is hung up: poll wakes with POLLHUP and a read never gives data.
  const int fd = ::open(linkPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 10'000), 1);
  EXPECT_NE(p.revents & POLLHUP, 0);
  uint8_t byte = 0;
  EXPECT_LE(::read(fd, &byte, 1), 0);
  ::close(fd);
  EXPECT_EQ(sim.NextLine().rfind("UNPLUGGED ", 0), 0u);

  const std::string plugged = sim.NextLine();
  ASSERT_EQ(plugged.rfind("PLUGGED /dev/", 0), 0u) << plugged;
  EXPECT_EQ(std::filesystem::read_symlink(linkPath).string(), plugged.substr(8));
  {
    RadioLink link(CreateSystemSerialDevice(), SystemClock());
    ASSERT_TRUE(link.OpenComms(linkPath, 9600)) << link.LastError();
    uint32_t serial = 0;
    ASSERT_TRUE(link.ReadSerialNumber(serial)) << link.LastError();
    EXPECT_EQ(serial, 777u);
    link.CloseComms();
  }
  EXPECT_EQ(sim.Stop(), 0);
  std::filesystem::remove_all(dir);
}

TEST(RadioSimProgram, BadOptionsExitWithStatus2) {
  SimProcess sim({"--link", "/tmp/never", "--corrupt-crc", "zero"});
  ASSERT_TRUE(sim.Started());
  EXPECT_EQ(sim.Stop(0), 2);
}

}  // namespace
}  // namespace p25
