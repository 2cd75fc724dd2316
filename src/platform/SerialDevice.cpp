#include "platform/SerialDevice.h"

#include "platform/Clock.h"

namespace p25 {

void SerialDevice::WaitForInput(Clock& clock, uint64_t maxMicros) { clock.SleepMicros(maxMicros); }

}  // namespace p25
