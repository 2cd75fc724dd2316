// p25update-cli: the update engine driven from a terminal, for scripts, service benches and headless
// machines. It takes the same path through the engine as the window.
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "Fleet.h"
#include "TerminalHost.h"
#include "Version.h"
#include "engine/UpdateSession.h"
#include "platform/Clock.h"
#include "platform/PortTable.h"
#include "platform/SerialDevice.h"
#include "platform/StopSignal.h"
#include "session/RadioLink.h"

using namespace p25;

namespace {

volatile std::sig_atomic_t interrupted = 0;
// Raised by Ctrl-C: pauses end at once and no further request goes to the radio.
StopSignal* stopSignal = nullptr;

constexpr char kStoppingNote[] =
    "\nStopping before the next request to the radio (Ctrl-C again to quit at once)...\n";

#ifdef _WIN32
// Runs on a thread of its own that the console starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  if (interrupted) ExitProcess(130);
  interrupted = 1;
  if (stopSignal != nullptr) stopSignal->Raise();
  DWORD ignored = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), kStoppingNote, sizeof kStoppingNote - 1, &ignored, nullptr);
  return TRUE;
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

// "COM3" names the port; the device behind it is \\.\COM3, the only form that reaches COM10 and up.
std::string DeviceNameFor(const std::string& port) {
  const bool bare = port.size() > 3 && (port[0] == 'C' || port[0] == 'c') && (port[1] == 'O' || port[1] == 'o') &&
                    (port[2] == 'M' || port[2] == 'm') &&
                    port.find_first_not_of("0123456789", 3) == std::string::npos;
  return bare ? "\\\\.\\" + port : port;
}
#else
void OnInterrupt(int) {
  if (interrupted) _exit(130);
  interrupted = 1;
  if (stopSignal != nullptr) stopSignal->Raise();
  ssize_t ignored = write(STDERR_FILENO, kStoppingNote, sizeof kStoppingNote - 1);
  (void)ignored;
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

std::string DeviceNameFor(const std::string& port) { return port; }
#endif

void InstallInterruptHandler() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#endif
}

void PrintVersions(TerminalHost& host) {
  struct Row {
    const char* family;
    int controlCaption, controlLabel, dspCaption, dspLabel;
  };
  for (const Row& row : {Row{"503+", kIdCaption503Control, kIdVersion503Control, kIdCaption503Dsp, kIdVersion503Dsp},
                         Row{"501", kIdCaption501Control, kIdVersion501Control, kIdCaption501Dsp, kIdVersion501Dsp}}) {
    std::printf("%s\n", row.family);
    if (host.Visible(row.controlCaption) && host.Visible(row.controlLabel))
      std::printf("  %s %s\n", host.Text(row.controlCaption).c_str(), host.Text(row.controlLabel).c_str());
    if (host.Visible(row.dspCaption) && host.Visible(row.dspLabel))
      std::printf("  %s %s\n", host.Text(row.dspCaption).c_str(), host.Text(row.dspLabel).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "p25update-cli: %s\n\n%s", error.c_str(), CliUsage());
    return 2;
  }
  if (options->help) {
    std::fputs(CliUsage(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("p25update-cli %s\n", P25_VERSION);
    return 0;
  }
  if (options->listPorts) {
    const PortTable ports = SystemPortTable();
    for (const auto& device : ports.deviceNames) std::printf("%s\n", device.c_str());
    return 0;
  }

  if (!options->firmwareDir.empty() && !std::filesystem::is_directory(options->firmwareDir)) {
    std::fprintf(stderr, "p25update-cli: --firmware-dir %s is not a folder\n", options->firmwareDir.c_str());
    return 2;
  }
  Clock& clock = SystemClock();
  const bool interactive = IsTerminal(stdout) && IsTerminal(stdin);
  if (options->ports.size() > 1 && !options->versions) {
    StopSignal stop;
    stopSignal = &stop;
    clock.WatchStop(&stop);
    InstallInterruptHandler();
    return RunFleet(*options, DeviceNameFor, clock, stop, stdout, IsTerminal(stdout));
  }
  TerminalHost host(stdout, stdin, interactive, options->answer, clock);
  PortTable ports;
  ports.Add(options->port, DeviceNameFor(options->port));
  UpdateSession session(CreateSystemSerialDevice(), clock, host, ports);
  host.Attach(&session.Link());
  host.SetDevice(DeviceNameFor(options->port));

  // The window's start-up, all before anything is sent to the radio.
  session.Start(options->firmwareDir, !options->versions);
  if (options->versions) {
    PrintVersions(host);
    return 0;
  }
  UpdateEngine& engine = session.Engine();
  if (!options->recoveryDir.empty()) engine.SetRecoveryDirectory(options->recoveryDir);
  session.Select(0, options->baudIndex);
  SupportLogOptions logOptions = LogOptionsFor(*options);
  logOptions.notice = [&host](const std::string& text) {
    host.FinishLine();
    std::fprintf(stderr, "p25update-cli: %s\n", text.c_str());
  };
  session.KeepSupportLog(std::move(logOptions));
  // Where support finds the whole story of an update that did not complete.
  auto printLogPath = [&session] {
    SupportLog& log = *session.Log();
    log.Close();
    if (!log.Failed() && !log.Path().empty()) std::printf("Support log: %s\n", log.Path().c_str());
  };

  StopSignal stop;
  stopSignal = &stop;
  clock.WatchStop(&stop);
  session.WatchStop(&stop);
  host.SetQuestionNote([&engine]() -> std::string {
    const auto record = engine.RecoveryRecord();
    if (!record || *record == 0) return {};
    return "This radio (ESN " + engine.RadioEsn() + ") has a recovery record: serial number " +
           std::to_string(*record) + " will be written back when the update completes.";
  });

  InstallInterruptHandler();

  session.PressUpdate();
  while (session.Running()) {
    if (interrupted) {
      const UpdateState step = session.ActiveStep();
      session.Cancel();
      host.FinishLine();
      std::printf("Update cancelled during \"%s\". %s\n", UpdateStateName(step), session.RadioState().c_str());
      printLogPath();
      return 130;
    }
    if (!host.Timers().PumpOnce(engine, clock)) break;
  }
  host.FinishLine();
  const bool completed = session.Outcome() == UpdateOutcome::Completed;
  if (completed && session.SerialNumber() != 0) std::printf("Radio serial number: %d\n", session.SerialNumber());
  if (!completed) {
    std::printf("%s\n", session.FailureAdvice().c_str());
    printLogPath();
  }
  return completed ? 0 : 1;
}
