#include "Fleet.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/ControlIds.h"
#include "engine/TimerSchedule.h"
#include "engine/UpdateSession.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "platform/StopSignal.h"

namespace p25 {

namespace {

// What one radio shows, as its session's window would; written by the radio's thread, read by the
// display under the board's lock.
struct RadioView {
  std::string port;
  std::string activity;
  std::string error;
  int percent = 0;
  std::string bytes;
  std::string time;
  bool finished = false;
};

struct RadioResult {
  UpdateOutcome outcome = UpdateOutcome::NotStarted;
  int32_t serial = 0;
  std::string esn;
  std::string family = "-";
  std::string errorLine;
  std::string radioState;
  std::string stoppedIn;
  std::string logPath;
  uint64_t ms = 0;
};

// The one display: a live line per radio on a terminal, plain lines prefixed by the port otherwise.
class Board {
public:
  Board(std::FILE* out, bool interactive, Clock& clock, size_t radios)
      : out_(out), interactive_(interactive), clock_(clock), views_(radios), lastLineMs_(radios, 0),
        lastLine_(radios) {}

  void SetPort(size_t radio, const std::string& port) {
    std::lock_guard lock(mutex_);
    views_[radio].port = port;
  }
  template <typename Change>
  void Update(size_t radio, Change change) {
    std::lock_guard lock(mutex_);
    change(views_[radio]);
  }
  // A line that must be seen whatever the pace: notices, answers, errors.
  void Event(size_t radio, const std::string& text) {
    std::lock_guard lock(mutex_);
    ClearLive();
    std::fprintf(out_, "%s: %s\n", views_[radio].port.c_str(), text.c_str());
    std::fflush(out_);
  }
  // Called by the main thread a few times a second.
  void Draw() {
    std::lock_guard lock(mutex_);
    if (interactive_) {
      ClearLive();
      for (const RadioView& view : views_) std::fprintf(out_, "\033[K%s\n", Line(view).c_str());
      liveLines_ = views_.size();
      std::fflush(out_);
      return;
    }
    const uint64_t now = clock_.ElapsedMs();
    for (size_t i = 0; i < views_.size(); ++i) {
      const std::string line = Line(views_[i]);
      if (line == lastLine_[i] || (lastLineMs_[i] != 0 && now - lastLineMs_[i] < 1000)) continue;
      lastLine_[i] = line;
      lastLineMs_[i] = now;
      std::fprintf(out_, "%s\n", line.c_str());
    }
    std::fflush(out_);
  }
  void EndLive() {
    std::lock_guard lock(mutex_);
    ClearLive();
  }

private:
  static std::string Line(const RadioView& view) {
    std::string line = view.port + ": ";
    line += view.error.empty() ? (view.activity.empty() ? std::string("starting") : view.activity) : view.error;
    if (!view.finished) {
      line += "  " + std::to_string(view.percent) + "%";
      if (!view.bytes.empty()) line += "  bytes remaining " + view.bytes;
      if (!view.time.empty()) line += "  time remaining " + view.time;
    }
    return line;
  }
  void ClearLive() {
    if (!interactive_ || liveLines_ == 0) return;
    std::fprintf(out_, "\033[%zuA\r\033[J", liveLines_);
    liveLines_ = 0;
  }

  std::mutex mutex_;
  std::FILE* out_;
  bool interactive_;
  Clock& clock_;
  std::vector<RadioView> views_;
  std::vector<uint64_t> lastLineMs_;
  std::vector<std::string> lastLine_;
  size_t liveLines_ = 0;
};

// The engine's window for one radio of several: it keeps what a window would show on the board.
class FleetHost final : public UpdateHost {
public:
  FleetHost(Board& board, size_t radio, CliAnswer answer, Clock& clock)
      : board_(board), radio_(radio), answer_(answer), clock_(clock) {}

  void ShowControl(int id, bool show) override { visible_[id] = show; }
  void SetControlText(int, const std::string&) override {}
  void ShowMessage(const std::string& text) override { board_.Event(radio_, "Notice: " + text); }
  void EnableControl(int, bool) override {}
  void SetProgress(int id, int percent) override {
    if (id == kIdOverallProgress) percent_ = percent;
  }
  void ExchangeData(ExchangeDirection direction, WindowValues& values) override {
    if (direction == ExchangeDirection::FromControls) return;
    const bool showTime = Visible(kIdTimeValue);
    board_.Update(radio_, [&](RadioView& view) {
      if (values.ActivityText.find_first_not_of(' ') != std::string::npos) view.activity = values.ActivityText;
      view.error = values.ErrorText;
      view.percent = percent_;
      view.bytes = Visible(kIdBytesValue) ? values.BytesRemainingText : std::string();
      view.time = showTime ? values.TimeRemainingText : std::string();
    });
  }
  void StartTimer(int id, uint32_t periodMs) override { timers_.Start(id, periodMs, clock_.ElapsedMs()); }
  void StopTimer(int id) override { timers_.Stop(id); }
  bool AskYesNo(const std::string& text) override {
    board_.Event(radio_, text);
    board_.Event(radio_, answer_ == CliAnswer::Yes ? "Answered Yes (--yes)." : "Answered No (--no).");
    return answer_ == CliAnswer::Yes;
  }
  void Beep() override {}
  bool OpenPleaseWait() override {
    if (!pleaseWait_) board_.Event(radio_, "Please Wait. Do not disconnect the radio while the orange LED is lit.");
    pleaseWait_ = true;
    return true;
  }
  void ClosePleaseWait() override { pleaseWait_ = false; }
  bool IsPleaseWaitOpen() const override { return pleaseWait_; }

  TimerSchedule& Timers() { return timers_; }

private:
  bool Visible(int id) const {
    auto it = visible_.find(id);
    return it != visible_.end() && it->second;
  }

  Board& board_;
  size_t radio_;
  CliAnswer answer_;
  Clock& clock_;
  TimerSchedule timers_;
  std::map<int, bool> visible_;
  int percent_ = 0;
  bool pleaseWait_ = false;
};

// Which port has which radio: one radio connected twice must not be updated twice at once.
class EsnRegistry {
public:
  std::string Claim(const std::string& esn, const std::string& port) {
    std::lock_guard lock(mutex_);
    auto [it, added] = owners_.emplace(esn, port);
    if (added || it->second == port) return {};
    return "This radio (ESN " + esn + ") is already being updated on " + it->second;
  }

private:
  std::mutex mutex_;
  std::map<std::string, std::string> owners_;
};

// One radio's whole update, on its own thread; the session and everything it owns live on this thread.
void UpdateOne(const CliOptions& options, size_t radio, std::string (*deviceName)(const std::string&), Clock& clock,
               const StopSignal& stop, Board& board, EsnRegistry& registry, RadioResult& result) {
  const std::string& port = options.ports[radio];
  const uint64_t started = clock.ElapsedMs();
  FleetHost host(board, radio, options.answer, clock);
  PortTable ports;
  ports.Add(port, deviceName(port));
  UpdateSession session(CreateSystemSerialDevice(), clock, host, ports);
  session.Start(options.firmwareDir);
  UpdateEngine& engine = session.Engine();
  if (!options.recoveryDir.empty()) engine.SetRecoveryDirectory(options.recoveryDir);
  engine.SetEsnClaim([&registry, &port](const std::string& esn) { return registry.Claim(esn, port); });
  session.Select(0, options.baudIndex);
  SupportLogOptions log = LogOptionsFor(options);
  log.notice = [&board, radio](const std::string& text) { board.Event(radio, "Notice: " + text); };
  session.KeepSupportLog(std::move(log));
  session.WatchStop(&stop);
  session.PressUpdate();
  while (session.Running()) {
    if (stop.Raised()) {
      result.stoppedIn = UpdateStateName(session.ActiveStep());
      session.Cancel();
      break;
    }
    if (!host.Timers().PumpOnce(engine, clock)) break;
  }
  result.outcome = session.Outcome();
  result.serial = session.SerialNumber();
  result.esn = session.Esn();
  if (const char* family = engine.FamilyText(); *family != '\0') result.family = family;
  result.errorLine = session.ErrorLine();
  result.radioState = result.outcome == UpdateOutcome::Failed ? session.FailureAdvice() : session.RadioState();
  session.Log()->Close();
  if (!session.Log()->Failed()) result.logPath = session.Log()->Path();
  result.ms = clock.ElapsedMs() - started;
  board.Update(radio, [&](RadioView& view) { view.finished = true; });
  if (result.outcome == UpdateOutcome::Failed) board.Event(radio, result.errorLine);
}

std::string Duration(uint64_t ms) {
  const uint64_t s = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(s / 60),
                static_cast<unsigned long long>(s % 60));
  return text;
}

}  // namespace

int RunFleet(const CliOptions& options, std::string (*deviceName)(const std::string&), Clock& clock, StopSignal& stop,
             std::FILE* out, bool interactive) {
  const size_t count = options.ports.size();
  Board board(out, interactive, clock, count);
  for (size_t i = 0; i < count; ++i) board.SetPort(i, options.ports[i]);
  EsnRegistry registry;
  std::vector<RadioResult> results(count);
  std::vector<std::thread> threads;
  threads.reserve(count);
  std::mutex doneMutex;
  size_t done = 0;
  for (size_t i = 0; i < count; ++i) {
    threads.emplace_back([&, i] {
      UpdateOne(options, i, deviceName, clock, stop, board, registry, results[i]);
      std::lock_guard lock(doneMutex);
      ++done;
    });
  }
  for (;;) {
    {
      std::lock_guard lock(doneMutex);
      if (done == count) break;
    }
    board.Draw();
    // The stop wakes this at once, so Ctrl-C is seen without waiting out the pace.
    stop.Wait(interactive ? 200'000 : 250'000);
  }
  for (std::thread& thread : threads) thread.join();
  board.Draw();
  board.EndLive();

  std::fprintf(out, "\n%-20s %-10s %-9s %-6s %-8s %s\n", "Port", "Serial", "ESN", "Family", "Time", "Result");
  bool anyFailed = false;
  for (size_t i = 0; i < count; ++i) {
    const RadioResult& r = results[i];
    std::string outcome;
    switch (r.outcome) {
      case UpdateOutcome::Completed: outcome = "Update Completed Succesfully"; break;
      case UpdateOutcome::Failed:
        outcome = r.errorLine;
        anyFailed = true;
        break;
      case UpdateOutcome::Cancelled: outcome = "Cancelled during \"" + r.stoppedIn + "\""; break;
      default: outcome = "Not updated"; anyFailed = true; break;
    }
    std::fprintf(out, "%-20s %-10s %-9s %-6s %-8s %s\n", options.ports[i].c_str(),
                 r.serial != 0 ? std::to_string(r.serial).c_str() : "-", r.esn.empty() ? "-" : r.esn.c_str(),
                 r.family.c_str(), Duration(r.ms).c_str(), outcome.c_str());
  }
  for (size_t i = 0; i < count; ++i) {
    const RadioResult& r = results[i];
    if (r.outcome == UpdateOutcome::Completed) continue;
    std::fprintf(out, "%s: %s\n", options.ports[i].c_str(), r.radioState.c_str());
    if (!r.logPath.empty()) std::fprintf(out, "%s: Support log: %s\n", options.ports[i].c_str(), r.logPath.c_str());
  }
  std::fflush(out);
  if (stop.Raised()) return 130;
  return anyFailed ? 1 : 0;
}

}  // namespace p25
