#include "SimulatedLine.h"

#include <algorithm>
#include <cerrno>

namespace p25 {

namespace {
bool SupportedRate(uint32_t rate) {
  switch (rate) {
    case 1200: case 2400: case 4800: case 9600: case 19200: case 38400: case 57600: case 115200:
      return true;
    default:
      return false;
  }
}
}  // namespace

SimulatedLine::SimulatedLine(SimulatedRadio& radio, VirtualClock& clock) : radio_(radio), clock_(clock) {
  clock_.SetListener(this);
  txFree_ = clock_.ElapsedMicros();
}

SimulatedLine::~SimulatedLine() { clock_.SetListener(nullptr); }

bool SimulatedLine::Fail(uint32_t error) {
  lastError_ = error;
  return false;
}

bool SimulatedLine::Open(const std::string& name) {
  Close();
  if (openFails_ || name.empty()) return Fail(openFails_ ? EBUSY : ENOENT);
  open_ = true;
  name_ = name;
  // A freshly opened port starts with an empty driver buffer.
  received_.clear();
  return true;
}

bool SimulatedLine::GetState() { return open_ || Fail(EBADF); }

bool SimulatedLine::SetState(uint32_t baudRate) {
  if (!open_) return Fail(EBADF);
  if (!SupportedRate(baudRate) ||
      std::find(refusedRates_.begin(), refusedRates_.end(), baudRate) != refusedRates_.end())
    return Fail(EINVAL);
  rate_ = baudRate;
  return true;
}

bool SimulatedLine::SetTimeouts(const SerialTimeouts& timeouts) {
  if (!open_) return Fail(EBADF);
  timeouts_ = timeouts;
  return true;
}

bool SimulatedLine::Read(uint8_t* destination, size_t count, size_t& bytesRead) {
  bytesRead = 0;
  if (!open_) return Fail(EBADF);
  while (bytesRead < count && !received_.empty()) {
    destination[bytesRead++] = received_.front();
    received_.pop_front();
  }
  return true;
}

bool SimulatedLine::Write(const uint8_t* data, size_t count, size_t& bytesWritten) {
  bytesWritten = 0;
  if (!open_) return Fail(EBADF);
  const uint64_t now = clock_.ElapsedMicros();
  uint64_t t = std::max(now, txFree_);
  const uint64_t step = ByteMicros(rate_);
  for (size_t i = 0; i < count; ++i) {
    t += step;
    toRadio_.push_back({t, data[i], rate_});
  }
  txFree_ = t;
  bytesWritten = count;
  // The write returns once the bytes are on the wire, as with a driver that has no spare buffer.
  if (t > now) clock_.Advance(t - now);
  return true;
}

void SimulatedLine::Close() { open_ = false; }

void SimulatedLine::TimeAdvanced(uint64_t nowMicros) {
  while (!toRadio_.empty() && toRadio_.front().at <= nowMicros) {
    const Arrival a = toRadio_.front();
    toRadio_.pop_front();
    radio_.Hear(a.at, a.byte, a.rate);
  }
  radio_.RunUntil(nowMicros);
  uint8_t byte = 0;
  uint32_t rate = 0;
  while (radio_.TakeOutput(nowMicros, byte, rate)) {
    if (!open_) continue;
    scratch_.clear();
    garbler_.Pass(byte, rate, rate_, scratch_);
    for (uint8_t b : scratch_)
      if (received_.size() < kDriverBufferSize) received_.push_back(b);
  }
}

void SimulatedLine::WaitForInput(Clock& /*clock*/, uint64_t maxMicros) {
  // The port's clock is this line's virtual clock; it is advanced in steps to each moment something
  // can happen, so the wait ends as soon as a byte is in.
  const uint64_t deadline = clock_.ElapsedMicros() + maxMicros;
  while (received_.empty()) {
    const uint64_t now = clock_.ElapsedMicros();
    if (now >= deadline) break;
    uint64_t next = deadline;
    if (!toRadio_.empty()) next = std::min(next, toRadio_.front().at);
    if (const auto wake = radio_.NextWakeup()) next = std::min(next, std::max(*wake, now + 1));
    clock_.Advance(next - now);
  }
}

}  // namespace p25
