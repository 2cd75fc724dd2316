// Cost of the link itself: framing a full frame, and the time the updater adds to one WriteFlash exchange
// beyond the 30 ms pause that the protocol mandates after acknowledging a reply.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PromptRadio.h"
#include "link/Frames.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "session/RadioLink.h"

namespace {

using namespace p25;
using namespace p25::bench;

constexpr double kMandatedPauseUs = 30000.0;

void EncodeDecodeFullFrame(benchmark::State& state) {
  Bytes payload(kLevel2Capacity - 2);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 37);
  LinkStatus status;
  Level2Frame sent(&status), received(&status);
  Level1Frame line(&status);
  for (auto _ : state) {
    std::memcpy(sent.Data(), payload.data(), payload.size());
    sent.length = static_cast<int>(payload.size());
    bool ok = sent.AppendCrc() && line.Encode(sent) && line.Decode(received) && received.CheckCrc();
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(received.Data());
    if (!ok) state.SkipWithError("frame did not survive encoding");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLevel2Capacity);
}
BENCHMARK(EncodeDecodeFullFrame);

void WriteFlashExchange(benchmark::State& state) {
  CountingClock clock;
  RadioLink link(std::make_unique<PromptRadio>(), clock);
  link.OpenComms("radio", 38400);
  const Bytes data = BlockData();
  const uint64_t sleptBefore = clock.Slept();
  const double start = WallMicros();
  for (auto _ : state) {
    if (!link.WriteFlash(0x00100000, kBlock, data.data())) state.SkipWithError(link.LastError().c_str());
  }
  // The pause is counted, not slept: all of the wall time is the updater's.
  const double n = static_cast<double>(state.iterations());
  state.counters["added_us"] = (WallMicros() - start) / n;
  state.counters["paused_ms"] = static_cast<double>(clock.Slept() - sleptBefore) / 1000.0 / n;
}
BENCHMARK(WriteFlashExchange);

// The same exchange through the operating system: a pseudo-terminal whose master side is a radio thread
// that answers at once. What the exchange takes beyond the mandated pause is the updater's own time
// plus the terminal's and the scheduler's.
class PtyRadio {
public:
  PtyRadio() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    slave_ = ::ptsname(master_);
  }
  ~PtyRadio() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
  }
  const std::string& Slave() const { return slave_; }
  void Start() { thread_ = std::thread([this] { Run(); }); }

private:
  void Run() {
    const Bytes answer = AcknowledgeAndConfirm();
    uint8_t buffer[1024];
    size_t inFrame = 0;
    bool collecting = false;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) {
        ::usleep(1000);
        continue;
      }
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == kStartByte) {
          collecting = true;
          inFrame = 0;
        } else if (collecting && buffer[i] == kEndByte) {
          collecting = false;
          if (inFrame > 2 && ::write(master_, answer.data(), answer.size()) < 0) return;
        } else {
          ++inFrame;
        }
      }
    }
  }

  int master_ = -1;
  std::string slave_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void WriteFlashExchangeOverPseudoTerminal(benchmark::State& state) {
  PtyRadio radio;
  RealClock clock;
  RadioLink link(CreateSystemSerialDevice(), clock);
  if (radio.Slave().empty() || !link.OpenComms(radio.Slave(), 38400)) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  radio.Start();
  const Bytes data = BlockData();
  const double start = WallMicros();
  for (auto _ : state) {
    if (!link.WriteFlash(0x00100000, kBlock, data.data())) state.SkipWithError(link.LastError().c_str());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["added_us"] = (WallMicros() - start) / n - kMandatedPauseUs;
  link.CloseComms();
}
BENCHMARK(WriteFlashExchangeOverPseudoTerminal)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
