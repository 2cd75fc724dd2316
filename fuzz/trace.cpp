// Whatever crosses the line, the wire trace turns it into whole lines of printable text without
// touching memory outside what it was given; so does the cleaning of what a USB adapter says of itself.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/SystemInfo.h"
#include "protocol/MessageText.h"
#include "protocol/WireTrace.h"

namespace {

using namespace p25;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Printable(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\n'; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Chunks as the port hands them over: a control byte gives the direction, the length, the pause
  // before it and the rate, then the chunk's bytes follow.
  WireTrace trace;
  std::string out;
  uint64_t micros = 0;
  constexpr uint32_t kRates[] = {9600, 19200, 38400};
  for (size_t at = 0; at < size;) {
    const uint8_t control = data[at++];
    const size_t count = std::min<size_t>(control % 48, size - at);
    micros += uint64_t{(control >> 4) & 3u} * 60'000;
    const auto direction = (control & 0x80) != 0 ? WireDirection::FromRadio : WireDirection::ToRadio;
    trace.Feed(direction, micros, kRates[control % 3], data + at, count, out);
    at += count;
    if ((control & 0x40) != 0) trace.EndRuns(out);
  }
  trace.Finish(out);
  Require(out.empty() || out.back() == '\n');
  Require(Printable(out));

  Require(Printable(DescribeMessage(data, static_cast<int>(std::min<size_t>(size, 4096)))));
  const std::string cleaned = CleanDeviceText(std::string_view(reinterpret_cast<const char*>(data), size));
  Require(cleaned.size() <= 64 && Printable(cleaned) && cleaned.find('\n') == std::string::npos);
  return 0;
}
