// p25radio-sim: a simulated radio on a pseudo-terminal, for running the updater without a radio.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "ProgramOptions.h"
#include "PtyServer.h"
#include "SimulatedRadio.h"
#include "platform/Clock.h"
#include "protocol/MessageText.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gPowerCycle = 0;

void OnStop(int) { gStop = 1; }
void OnPowerCycle(int) { gPowerCycle = 1; }

void WriteTranscriptLine(std::FILE* file, const p25::SimulatedRadio::TraceEvent& event) {
  const char* direction = event.bytes.empty() ? "--" : (event.fromRadio ? "<-" : "->");
  std::fprintf(file, "%llu.%06llu %6u %s %s%s%s\n", static_cast<unsigned long long>(event.micros / 1'000'000),
               static_cast<unsigned long long>(event.micros % 1'000'000), event.rate, direction,
               p25::HexBytes(event.bytes).c_str(), event.bytes.empty() ? "" : "  ", event.text.c_str());
  std::fflush(file);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  p25::ProgramOptions options;
  std::string error;
  if (!p25::ParseProgramOptions(args, options, error)) {
    std::fprintf(stderr, "p25radio-sim: %s\nTry 'p25radio-sim --help'.\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(p25::ProgramUsage(), stdout);
    return 0;
  }
  options.radio.pacedLine = options.realtime;

  p25::SimulatedRadio radio(options.radio);
  std::FILE* transcript = nullptr;
  if (!options.transcript.empty()) {
    transcript = std::fopen(options.transcript.c_str(), "w");
    if (transcript == nullptr) {
      std::perror(("p25radio-sim: " + options.transcript).c_str());
      return 1;
    }
    radio.SetObserver([transcript](const p25::SimulatedRadio::TraceEvent& e) { WriteTranscriptLine(transcript, e); });
  }
  if (!radio.LoadState(error)) {
    std::fprintf(stderr, "p25radio-sim: %s\n", error.c_str());
    return 2;
  }

  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction stopAction {};
  stopAction.sa_handler = OnStop;
  sigaction(SIGINT, &stopAction, nullptr);
  sigaction(SIGTERM, &stopAction, nullptr);
  struct sigaction cycleAction {};
  cycleAction.sa_handler = OnPowerCycle;
  sigaction(SIGUSR1, &cycleAction, nullptr);
  // The signals are only let in while the server waits, so none is lost between checks.
  sigset_t blocked, waitMask;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigaddset(&blocked, SIGTERM);
  sigaddset(&blocked, SIGUSR1);
  sigprocmask(SIG_BLOCK, &blocked, &waitMask);

  p25::RealClock clock;
  int status = 0;
  {
    p25::PtyServer server(radio, clock, options.realtime, options.cable, [](const std::string& line) {
      std::printf("%s\n", line.c_str());
      std::fflush(stdout);
    });
    if (!server.Open(options.link, error)) {
      std::fprintf(stderr, "p25radio-sim: %s\n", error.c_str());
      return 1;
    }
    std::printf("READY %s\n", server.SlavePath().c_str());
    std::fflush(stdout);
    if (!server.Serve(waitMask, gStop, gPowerCycle, error)) {
      std::fprintf(stderr, "p25radio-sim: %s\n", error.c_str());
      status = 1;
    }
  }
  if (!radio.SaveState(error)) {
    std::fprintf(stderr, "p25radio-sim: %s\n", error.c_str());
    status = 1;
  }
  if (transcript != nullptr) std::fclose(transcript);
  return status;
}
