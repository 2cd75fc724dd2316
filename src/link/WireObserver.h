#pragma once
#include <cstddef>
#include <cstdint>

namespace p25 {

enum class WireDirection { ToRadio, FromRadio };

// Sees every byte the port writes and reads (frames and console text alike), for the wire trace.
// Called on the thread that drives the port, so it must only take note and return.
class WireObserver {
public:
  virtual ~WireObserver() = default;
  virtual void WireBytes(WireDirection direction, uint64_t micros, uint32_t baudRate, const uint8_t* data,
                         size_t count) = 0;
};

}  // namespace p25
