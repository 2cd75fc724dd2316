// A whole "503+" update of the carried images against the in-process simulated radio, on a line that
// charges every byte its time at the current rate. Reports how far the modelled update time is above
// the protocol's floor (line time, mandated pauses, the radio's own work), and the CPU time per block.
#include <benchmark/benchmark.h>

#include <ctime>

#include "SimulatedLine.h"
#include "SimulatedRadio.h"
#include "engine/UpdateEngine.h"
#include "engine/VersionAreaView.h"
#include "images/Catalogue.h"
#include "images/VersionArea.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"
#include "support/FakeHost.h"

namespace {

using namespace p25;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_Whole503Update(benchmark::State& state) {
  double modelledSeconds = 0;
  double overheadSeconds = 0;
  double cpuPerBlockUs = 0;
  int blocks = 0;
  for (auto _ : state) {
    SimulatedRadio::Options options;
    SimulatedRadio radio(options);
    VirtualClock clock;
    RadioLink link(std::make_unique<SimulatedLine>(radio, clock), clock);
    testing::FakeHost host(clock);
    ImageCatalogue catalogue;
    catalogue.LoadAll();
    ShowVersionArea(host, DescribeVersionArea(catalogue));
    PortTable ports;
    ports.Add("COM1", "COM1");
    UpdateEngine engine(link, catalogue, host, clock, ports);
    engine.SetRecoveryDirectory("/tmp");
    engine.Initialise();
    const double cpuStart = CpuSeconds();
    const uint64_t start = clock.ElapsedMs();
    engine.OnUpdateClicked();
    // Idle time between ticks is the engine's own overhead, except while the radio reboots in silence.
    uint64_t idleOutsideReboot = 0;
    uint64_t idleInReboot = 0;
    while (engine.CurrentState() != UpdateState::Finished) {
      const uint64_t idleBefore = host.timers.IdleMs();
      const bool rebooting = engine.CurrentState() == UpdateState::AwaitRestart;
      if (!host.timers.PumpOnce(engine, clock)) break;
      (rebooting ? idleInReboot : idleOutsideReboot) += host.timers.IdleMs() - idleBefore;
    }
    const double cpu = CpuSeconds() - cpuStart;
    if (engine.Values().ActivityText != "Update Completed Succesfully") state.SkipWithError("update failed");
    const uint64_t rebootSilenceMs = options.rebootMicros / 1000;
    const uint64_t overheadMs =
        idleOutsideReboot + (idleInReboot > rebootSilenceMs ? idleInReboot - rebootSilenceMs : 0);
    modelledSeconds = static_cast<double>(clock.ElapsedMs() - start) / 1000.0;
    overheadSeconds = static_cast<double>(overheadMs) / 1000.0;
    blocks = radio.Stats().writes;
    cpuPerBlockUs = cpu * 1e6 / blocks;
  }
  state.counters["modelled_s"] = modelledSeconds;
  state.counters["floor_s"] = modelledSeconds - overheadSeconds;
  state.counters["ratio"] = modelledSeconds / (modelledSeconds - overheadSeconds);
  state.counters["blocks"] = blocks;
  state.counters["cpu_us_per_block"] = cpuPerBlockUs;
}
BENCHMARK(BM_Whole503Update)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
