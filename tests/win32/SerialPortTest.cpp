// The Win32 serial backend under SerialPort, on ports that scripts/test-windows maps in Wine:
// P25_TEST_PTY_PORT is a pseudo-terminal whose other end (p25-com-peer) reads the settings back and
// answers; P25_TEST_FILE_PORT is a plain file, on which Wine enforces share modes as Windows does on
// a port (it does not on a terminal). Without them these tests are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace p25 {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

TEST(Win32SerialPort, APortThatIsNotThereFailsToOpenWithTheSystemCode) {
  LinkStatus status;
  SerialPort port(status, CreateSystemSerialDevice(), SystemClock());
  EXPECT_FALSE(port.Open("\\\\.\\COM87", 9600));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(status.ErrorCode(), kErrorPortOpen);
  EXPECT_EQ(status.ErrorText(), "Failed to open communications port");
  EXPECT_NE(status.SystemErrorCode(), 0u);
  EXPECT_FALSE(SystemErrorText(status.SystemErrorCode()).empty());
}

TEST(Win32SerialPort, ConfiguresTheLineAndCarriesEveryByteValueBothWays) {
  const std::string name = Environment("P25_TEST_PTY_PORT");
  if (name.empty()) GTEST_SKIP() << "no pseudo-terminal port mapped";
  LinkStatus status;
  SerialPort port(status, CreateSystemSerialDevice(), SystemClock());

  ASSERT_TRUE(port.Open(name, 38400)) << status.ErrorText() << " (" << status.SystemErrorCode() << ")";
  EXPECT_EQ(port.Timeouts().writeTotalTimeoutMultiplier, 1u);
  // The other end checks the settings once it hears this, then answers with every byte value.
  const std::string greeting = "P25-COM-TEST";
  ASSERT_TRUE(port.Write(reinterpret_cast<const uint8_t*>(greeting.data()), greeting.size())) << status.ErrorText();
  std::vector<uint8_t> heard;
  port.StartTimer(20000);
  for (;;) {
    uint8_t byte = 0;
    bool got = false;
    ASSERT_TRUE(port.NextByte(byte, got)) << status.ErrorText();
    if (!got) break;
    heard.push_back(byte);
    if (heard.size() == 256) break;
  }
  ASSERT_EQ(heard.size(), 256u) << "the other end refused the settings or did not answer";
  for (size_t i = 0; i < heard.size(); ++i) EXPECT_EQ(heard[i], i);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

TEST(Win32SerialPort, IsOpenedExclusivelyAndLetGoWhenItCannotBeConfigured) {
  const std::string name = Environment("P25_TEST_FILE_PORT");
  if (name.empty()) GTEST_SKIP() << "no file port mapped";
  auto holder = CreateSystemSerialDevice();
  ASSERT_TRUE(holder->Open(name)) << holder->LastError();

  LinkStatus status;
  SerialPort port(status, CreateSystemSerialDevice(), SystemClock());
  EXPECT_FALSE(port.Open(name, 9600));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(status.ErrorCode(), kErrorPortOpen);
  EXPECT_EQ(status.ErrorText(), "Failed to open communications port");
  EXPECT_EQ(status.SystemErrorCode(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));

  // Let go, it opens; a plain file has no device state, so the port closes again at once...
  holder->Close();
  EXPECT_FALSE(port.Open(name, 9600));
  EXPECT_EQ(status.ErrorCode(), kErrorPortConfiguration);
  EXPECT_EQ(status.ErrorText(), "Failed to get state of communications port");
  EXPECT_FALSE(port.IsOpen());
  // ...and holds nothing that would keep another open out.
  EXPECT_TRUE(holder->Open(name)) << holder->LastError();
}

}  // namespace
}  // namespace p25
