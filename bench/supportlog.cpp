// What the support log adds to one WriteFlash exchange on the thread that talks to the radio: the
// exchange alone, with the log, and with the log and its wire trace. The writing itself happens on the
// log's own thread; the bytes it writes per exchange are counted too.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "PromptRadio.h"
#include "engine/SupportLog.h"
#include "engine/UpdateEngine.h"
#include "images/Catalogue.h"
#include "session/RadioLink.h"
#include "support/FakeHost.h"

namespace {

using namespace p25;
using namespace p25::bench;

enum Logging { kNoLog, kLog, kLogAndTrace };

void WriteFlashExchangeLogged(benchmark::State& state) {
  const auto logging = static_cast<Logging>(state.range(0));
  CountingClock clock;
  RadioLink link(std::make_unique<PromptRadio>(), clock);
  testing::FakeHost host(clock);
  ImageCatalogue catalogue;
  PortTable ports;
  ports.Add("COM1", "COM1");
  UpdateEngine engine(link, catalogue, host, clock, ports);
  engine.Initialise();
  const std::string path =
      (std::filesystem::temp_directory_path() / ("p25bench-" + std::to_string(logging) + ".log")).string();
  SupportLogOptions options;
  options.file = path;
  options.trace = logging == kLogAndTrace;
  std::unique_ptr<SupportLog> log;
  if (logging != kNoLog) {
    log = std::make_unique<SupportLog>(clock, options);
    log->Attach(link, engine);
    log->StateEntered(engine, UpdateState::Start, false);
  }
  link.OpenComms("radio", 38400);
  const Bytes data = BlockData();
  const double start = WallMicros();
  for (auto _ : state) {
    if (!link.WriteFlash(0x00100000, kBlock, data.data())) state.SkipWithError(link.LastError().c_str());
  }
  const double n = static_cast<double>(state.iterations());
  // The 30 ms pause is counted, not slept: all of the wall time is the updater's.
  state.counters["exchange_us"] = (WallMicros() - start) / n;
  if (log) {
    log->Close();
    if (log->Failed()) state.SkipWithError("the log was not written");
    std::error_code ignored;
    state.counters["log_bytes"] = static_cast<double>(std::filesystem::file_size(path, ignored)) / n;
    std::filesystem::remove(path, ignored);
  }
}
BENCHMARK(WriteFlashExchangeLogged)->ArgName("logging")->Arg(kNoLog)->Arg(kLog)->Arg(kLogAndTrace);

}  // namespace

BENCHMARK_MAIN();
