#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/WireObserver.h"

namespace p25 {

// Turns the bytes seen on the line, both ways, into lines of text: one per frame, in hex and decoded
// to its message where it parses, and one per run of console or stray bytes, in hex and as text.
// Times are the caller's, in microseconds; lines read "    5210.123 -> 9600  DB ... BC  ReadEsn Query".
// Any bytes are accepted: the radio's side of the line may send anything.
class WireTrace {
public:
  static constexpr uint64_t kRunGapMicros = 100'000;  // a pause this long ends a run of loose bytes
  static constexpr size_t kRunLength = 64;

  void Feed(WireDirection direction, uint64_t micros, uint32_t baudRate, const uint8_t* data, size_t count,
            std::string& out);
  // Writes out the runs of loose bytes collected so far, but no frame still arriving.
  void EndRuns(std::string& out);
  // Writes out everything still collected.
  void Finish(std::string& out);

private:
  struct Side {
    std::vector<uint8_t> bytes;
    bool inFrame = false;
    uint64_t firstMicros = 0;
    uint64_t lastMicros = 0;
    uint32_t baudRate = 0;
  };
  void Emit(WireDirection direction, std::string& out);

  Side sides_[2];
};

}  // namespace p25
