#include "session/RadioLink.h"

#include <array>

#include "platform/Clock.h"

namespace p25 {

namespace {
constexpr char kWakeUp[] = "\r\r";
constexpr char kRateCommand[] = "/baud 9600\r\r";
constexpr size_t kConsoleReadSize = 20;
}  // namespace

RadioLink::RadioLink(std::unique_ptr<SerialDevice> device, Clock& clock)
    : channel_(status_, std::move(device), clock), clock_(clock) {}

RadioLink::~RadioLink() { Port().Close(); }

template <typename Step>
bool RadioLink::Observed(std::string_view what, const std::string& device, uint32_t baudRate, Step step) {
  if (observer_ == nullptr) return step();
  const uint64_t start = clock_.ElapsedMicros();
  const bool ok = step();
  observer_->LinkStepDone({what, device, baudRate, ok, start, clock_.ElapsedMicros() - start, status_});
  return ok;
}

bool RadioLink::OpenComms(const std::string& deviceName, uint32_t baudRate) {
  status_.SetActivity("Opening communications with radio");
  if (open_) {
    CloseComms();
    open_ = false;
  }
  const bool result = Observed("open", deviceName, baudRate, [&] { return Port().Open(deviceName, baudRate); });
  if (result) {
    open_ = true;
    condition_.portOpened = true;
  }
  return result;
}

bool RadioLink::CloseComms() {
  status_.SetActivity("Closing communications with radio");
  if (!open_) return false;
  const bool held = Port().IsOpen();
  Port().Close();
  open_ = false;
  return held;
}

bool RadioLink::WriteEachByte(const char* text, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<uint8_t>(text[i]);
    if (!Port().Write(&byte, 1)) return false;
  }
  return true;
}

bool RadioLink::DrainConsole(size_t& got) {
  std::array<uint8_t, kConsoleReadSize> scratch{};
  return Port().Read(scratch.data(), scratch.size(), got);
}

bool RadioLink::SendConsoleBaudCommand() {
  size_t got = 0;
  const bool woke = WriteEachByte(kWakeUp, 2);
  clock_.SleepMs(500);
  DrainConsole(got);
  if (!woke) return false;
  for (size_t i = 0; i < sizeof kRateCommand - 1; ++i) {
    clock_.SleepMs(1);
    if (!WriteEachByte(kRateCommand + i, 1)) return false;
  }
  WriteEachByte(kWakeUp, 2);
  clock_.SleepMs(1000);
  return DrainConsole(got);
}

bool RadioLink::ProbeConsole() {
  size_t got = 0;
  DrainConsole(got);
  bool written = WriteEachByte(kWakeUp, 2);
  clock_.SleepMs(100);
  DrainConsole(got);
  if (written) written = WriteEachByte(kWakeUp, 2);
  if (!written) return false;
  clock_.SleepMs(500);
  std::array<uint8_t, kConsoleReadSize> answer{};
  got = 0;
  if (Port().Read(answer.data(), answer.size(), got) && got >= 4 && answer[0] == 0x0D && answer[1] == 0x0A)
    return true;
  status_.ReportError(kErrorPortWrite, "Failed to Comm with Radio");
  return false;
}

bool RadioLink::Connect(const std::string& deviceName) {
  if (!OpenComms(deviceName, 19200)) return false;
  if (condition_.mode == RadioCondition::Mode::Untouched) condition_.mode = RadioCondition::Mode::ConsoleAt9600;
  Observed("console /baud 9600", deviceName, 19200, [this] { return SendConsoleBaudCommand(); });
  CloseComms();
  const bool result = OpenComms(deviceName, 9600);
  Observed("console probe", deviceName, 9600, [this] { return ProbeConsole(); });
  return result;
}

bool RadioLink::PollForOk() {
  if (okTail_.size() == 2) okTail_.erase(0, 1);
  uint8_t byte = 0;
  size_t got = 0;
  if (!Port().Read(&byte, 1, got) || got == 0) return false;
  okTail_.push_back(static_cast<char>(byte));
  return okTail_ == "OK";
}

}  // namespace p25
