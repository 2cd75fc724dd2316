// Win32 backend: an exclusive CreateFileA on the device path, exactly the DCB members the radio link
// depends on (the driver's other settings are kept), time-outs that make every read return at once,
// and synchronous ReadFile and WriteFile. Waiting between reads is the port's poll tick.
#include <windows.h>

#include <algorithm>

#include "platform/SerialDevice.h"

namespace p25 {

namespace {

// What ReadFile and WriteFile give once the port's device is gone (a USB adapter pulled, or under
// Wine a terminal hung up): no answer can come any more.
// ERROR_NO_SUCH_DEVICE, which not every SDK's headers define.
constexpr DWORD kErrorNoSuchDevice = 433;

bool IsLossError(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case kErrorNoSuchDevice: return true;
    default: return false;
  }
}

class Win32SerialDevice final : public SerialDevice {
public:
  ~Win32SerialDevice() override { Close(); }

  bool Open(const std::string& name) override {
    Close();
    // The record's length is that of the 32-bit layout the port was always opened with; the system
    // reads only the descriptor and the inheritance flag.
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = 12;
    attributes.lpSecurityDescriptor = nullptr;
    attributes.bInheritHandle = FALSE;
    const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &attributes, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Fail();
    handle_ = handle;
    lost_ = false;
    return true;
  }

  bool GetState() override {
    if (handle_ == nullptr) return FailWith(ERROR_INVALID_HANDLE);
    DCB state{};
    state.DCBlength = sizeof state;
    if (!GetCommState(handle_, &state)) return Fail();
    state_ = state;
    return true;
  }

  bool SetState(uint32_t baudRate) override {
    if (handle_ == nullptr) return FailWith(ERROR_INVALID_HANDLE);
    DCB state = state_;
    state.BaudRate = baudRate;
    state.ByteSize = 8;
    state.Parity = NOPARITY;
    state.StopBits = ONESTOPBIT;
    state.fParity = 0;
    state.fOutxCtsFlow = 0;
    state.fOutxDsrFlow = 0;
    state.fDtrControl = DTR_CONTROL_ENABLE;
    state.fDsrSensitivity = 0;
    state.fOutX = 0;
    state.fInX = 0;
    state.fNull = 0;
    state.fRtsControl = RTS_CONTROL_ENABLE;
    state.fAbortOnError = 0;
    if (!SetCommState(handle_, &state)) return Fail();
    state_ = state;
    return true;
  }

  bool SetTimeouts(const SerialTimeouts& timeouts) override {
    if (handle_ == nullptr) return FailWith(ERROR_INVALID_HANDLE);
    COMMTIMEOUTS record{};
    record.ReadIntervalTimeout = timeouts.readIntervalTimeout;
    record.ReadTotalTimeoutMultiplier = timeouts.readTotalTimeoutMultiplier;
    record.ReadTotalTimeoutConstant = timeouts.readTotalTimeoutConstant;
    record.WriteTotalTimeoutMultiplier = timeouts.writeTotalTimeoutMultiplier;
    record.WriteTotalTimeoutConstant = timeouts.writeTotalTimeoutConstant;
    if (!SetCommTimeouts(handle_, &record)) return Fail();
    return true;
  }

  bool Read(uint8_t* destination, size_t count, size_t& bytesRead) override {
    bytesRead = 0;
    if (handle_ == nullptr) return FailWith(ERROR_INVALID_HANDLE);
    DWORD got = 0;
    const auto asked = static_cast<DWORD>(std::min<size_t>(count, MAXDWORD));
    if (lost_) return FailWith(lastError_);
    if (!ReadFile(handle_, destination, asked, &got, nullptr)) return Lose();
    // An empty read is how a removed adapter may first look; the driver's status call then fails.
    DWORD errors = 0;
    if (got == 0 && !ClearCommError(handle_, &errors, nullptr)) {
      const DWORD code = GetLastError();
      if (IsLossError(code)) {
        lost_ = true;
        return FailWith(code);
      }
    }
    bytesRead = got;
    return true;
  }

  bool Write(const uint8_t* data, size_t count, size_t& bytesWritten) override {
    bytesWritten = 0;
    if (handle_ == nullptr) return FailWith(ERROR_INVALID_HANDLE);
    DWORD written = 0;
    const auto asked = static_cast<DWORD>(std::min<size_t>(count, MAXDWORD));
    // With the write time-outs set, a write that cannot finish in time returns with fewer bytes.
    if (lost_) return FailWith(lastError_);
    if (!WriteFile(handle_, data, asked, &written, nullptr)) return Lose();
    bytesWritten = written;
    return true;
  }

  void Close() override {
    if (handle_ == nullptr) return;
    CloseHandle(handle_);
    handle_ = nullptr;
  }

  bool IsOpen() const override { return handle_ != nullptr; }
  uint32_t LastError() const override { return lastError_; }
  bool DeviceLost() const override { return lost_; }

private:
  bool Fail() { return FailWith(GetLastError()); }
  // A transfer failure that may mean the device is gone.
  bool Lose() {
    const DWORD code = GetLastError();
    if (IsLossError(code)) lost_ = true;
    return FailWith(code);
  }
  bool FailWith(DWORD code) {
    lastError_ = code;
    return false;
  }

  HANDLE handle_ = nullptr;
  DCB state_{};
  uint32_t lastError_ = 0;
  bool lost_ = false;
};

}  // namespace

std::unique_ptr<SerialDevice> CreateSystemSerialDevice() { return std::make_unique<Win32SerialDevice>(); }

std::string SystemErrorText(uint32_t code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof text, nullptr);
  std::string result(text, length);
  while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ' ||
                             result.back() == '.'))
    result.pop_back();
  if (result.empty()) result = "system error " + std::to_string(code);
  return result;
}

}  // namespace p25
