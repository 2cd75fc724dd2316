// The radio's end of the Windows serial tests: a pseudo-terminal that Wine maps as a COM port.
//   p25-com-peer LINK
// Makes LINK a symbolic link to the slave side, prints READY, waits for the greeting the test writes
// after configuring the port, checks with tcgetattr that the port runs at 38400 baud, 8 data bits, no
// parity, one stop bit, no flow control, raw; then answers with every byte value and exits.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kGreeting[] = "P25-COM-TEST";

bool Fail(const char* what) {
  std::printf("FAIL %s\n", what);
  return false;
}

int Abort(const char* what) {
  Fail(what);
  return 1;
}

bool CheckSettings(int slave) {
  termios t{};
  if (tcgetattr(slave, &t) != 0) return Fail("tcgetattr");
  bool ok = true;
  if (cfgetospeed(&t) != B38400 || cfgetispeed(&t) != B38400) ok = Fail("rate is not 38400");
  if ((t.c_cflag & CSIZE) != CS8) ok = Fail("not 8 data bits");
  if (t.c_cflag & PARENB) ok = Fail("parity enabled");
  if (t.c_cflag & CSTOPB) ok = Fail("two stop bits");
  if (t.c_cflag & CRTSCTS) ok = Fail("hardware flow control");
  if (t.c_iflag & (IXON | IXOFF)) ok = Fail("software flow control");
  if (t.c_lflag & (ICANON | ECHO)) ok = Fail("not raw");
  if (ok) std::printf("SETTINGS 38400 8N1 raw\n");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LINK\n", argv[0]);
    return 2;
  }
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return Abort("pseudo-terminal");
  const std::string slavePath = ptsname(master);
  // Held open so the settings survive between Wine's opens and can be read back here.
  const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
  unlink(argv[1]);
  if (slave < 0 || symlink(slavePath.c_str(), argv[1]) != 0) return Abort("link");
  std::printf("READY %s\n", slavePath.c_str());

  std::string heard;
  const std::string greeting(kGreeting);
  while (heard.find(greeting) == std::string::npos) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 60000) <= 0) return Abort("no greeting within 60 s");
    char buffer[256];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) return Abort("read");
    heard.append(buffer, static_cast<size_t>(n));
  }
  std::printf("HEARD %s\n", kGreeting);
  const bool settings = CheckSettings(slave);
  // Every byte value, so no value is lost or translated on the way in.
  std::vector<unsigned char> reply(256);
  for (int i = 0; i < 256; ++i) reply[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
  if (!settings) reply.assign(3, 'X');
  if (write(master, reply.data(), reply.size()) != static_cast<ssize_t>(reply.size())) return Abort("write");
  // Let the test read everything before the pseudo-terminal goes away.
  sleep(5);
  unlink(argv[1]);
  return settings ? 0 : 1;
}
