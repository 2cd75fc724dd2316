// How fast the in-process simulated radio runs the updater's traffic on virtual time: whole-update tests
// write thousands of blocks, so one WriteFlash exchange must cost microseconds of real time. Also
// reports the virtual line time per block, which must stay realistic (about 0.3 s at 9600 baud).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "SimulatedLine.h"
#include "SimulatedRadio.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"

namespace {

using p25::SimulatedRadio;

void WriteFlashExchanges(benchmark::State& state) {
  const auto rate = static_cast<uint32_t>(state.range(0));
  constexpr uint32_t kRegion = 0x100000;
  constexpr uint32_t kLength = 0x80000;
  constexpr int kBlock = 246;
  std::vector<uint8_t> block(kBlock, 0x5A);
  SimulatedRadio::Options options;
  options.startMode = SimulatedRadio::Mode::FlashCode;
  options.faults.eraseMicros = 1000;
  SimulatedRadio radio(options);
  p25::VirtualClock clock;
  p25::RadioLink link(std::make_unique<p25::SimulatedLine>(radio, clock), clock);
  link.OpenComms("COM1", 9600);
  if (rate != 9600) {
    link.ChangeBaudRate(rate);
    link.OpenComms("COM1", rate);
  }
  uint32_t address = kRegion + kLength;
  uint64_t blocks = 0;
  const uint64_t virtualStart = clock.ElapsedMicros();
  for (auto _ : state) {
    if (address + kBlock > kRegion + kLength) {
      state.PauseTiming();
      link.EraseFlash(kRegion, kLength);
      address = kRegion;
      state.ResumeTiming();
    }
    if (!link.WriteFlash(address, kBlock, block.data())) state.SkipWithError("write refused");
    address += kBlock;
    ++blocks;
  }
  state.SetItemsProcessed(static_cast<int64_t>(blocks));
  state.counters["virtual_ms_per_block"] =
      blocks == 0 ? 0.0 : static_cast<double>(clock.ElapsedMicros() - virtualStart) / 1000.0 / static_cast<double>(blocks);
}
BENCHMARK(WriteFlashExchanges)->Arg(9600)->Arg(38400);

}  // namespace

BENCHMARK_MAIN();
