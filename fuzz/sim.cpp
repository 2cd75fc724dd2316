// Arbitrary bytes into the simulated radio: its console, its frame receiver and command handlers (with
// well-formed frames built from the input, so the commands are reached), its state-file parser and
// the program's option parser. None may crash or hang.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ProgramOptions.h"
#include "RadioState.h"
#include "SimulatedRadio.h"
#include "link/Frames.h"

namespace {

using p25::SimulatedRadio;

void FeedRadio(uint8_t selector, const uint8_t* data, size_t size) {
  SimulatedRadio::Options options;
  const SimulatedRadio::Mode modes[] = {SimulatedRadio::Mode::Console, SimulatedRadio::Mode::BootLoader,
                                        SimulatedRadio::Mode::FlashCode, SimulatedRadio::Mode::Console};
  options.startMode = modes[(selector >> 2) & 3];
  options.startRate = (selector & 0x10) != 0 ? 9600 : 19200;
  options.acceptAnySignature = (selector & 0x20) != 0;
  options.signedBoot = (selector & 0x40) == 0;
  options.rebootMicros = 100'000;
  if ((selector & 0x80) != 0) {
    auto& f = options.faults;
    f.noiseBytes = 3;
    f.corruptEveryNthReply = 3;
    f.dropEveryNthRequest = 4;
    f.powerLossAfterWrites = 5;
    f.loseSerialOnErase = true;
    f.swapAfterIdentify = true;
    f.refuseSignatures = 1;
    f.refusedRates = {38400};
  }
  SimulatedRadio radio(options);
  uint64_t now = 0;
  const auto drain = [&] {
    uint8_t byte = 0;
    uint32_t rate = 0;
    while (radio.TakeOutput(now, byte, rate)) {
    }
  };
  const auto feed = [&](const uint8_t* bytes, size_t count, uint32_t rate) {
    for (size_t i = 0; i < count; ++i) {
      now += p25::ByteMicros(rate);
      radio.Hear(now, bytes[i], rate);
    }
    drain();
  };
  size_t i = 0;
  while (i < size) {
    // Each step: an operation byte, then for raw bytes (op >> 2) of them, for a frame a length byte and
    // the message, for a pause (op >> 2) × 50 ms.
    const uint8_t op = data[i++];
    size_t n = std::min<size_t>(size - i, static_cast<size_t>(op >> 2));
    if ((op & 3) == 1) {
      const size_t length = i < size ? data[i] : 0;
      i = std::min(i + 1, size);
      n = std::min(size - i, length);
    }
    switch (op & 3) {
      case 0:
        feed(data + i, n, 9600);
        i += n;
        break;
      case 1: {
        p25::Level2Frame frame;
        const size_t count = std::min<size_t>(n, 258);
        std::copy_n(data + i, count, frame.Data());
        frame.length = static_cast<int>(count);
        frame.AppendCrc();
        p25::Level1Frame wire;
        wire.Encode(frame);
        feed(wire.Data(), static_cast<size_t>(wire.length), radio.Rate());
        i += n;
        break;
      }
      case 2:
        now += static_cast<uint64_t>(op >> 2) * 50'000;
        radio.RunUntil(now);
        drain();
        break;
      default:
        feed(data + i, n, 19200);
        i += n;
        break;
    }
  }
  for (int k = 0; k < 4; ++k) {
    now += 60'000'000;
    radio.RunUntil(now);
    drain();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  ++data;
  --size;
  switch (selector & 3) {
    case 0: {
      auto state = std::make_unique<p25::RadioState>();
      std::string error;
      p25::ParseRadioState(std::string_view(reinterpret_cast<const char*>(data), size), *state, error);
      break;
    }
    case 1: {
      std::vector<std::string> args(1);
      for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back().push_back(static_cast<char>(data[i]));
      }
      p25::ProgramOptions options;
      std::string error;
      p25::ParseProgramOptions(args, options, error);
      break;
    }
    default:
      FeedRadio(selector, data, size);
      break;
  }
  return 0;
}
