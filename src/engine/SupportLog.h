#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineObserver.h"
#include "link/WireObserver.h"
#include "protocol/CommandObserver.h"
#include "protocol/WireTrace.h"

namespace p25 {

class Clock;
class LogWriter;
class RadioLink;
class UpdateEngine;

struct SupportLogOptions {
  // One file per update in this folder, named by its start time and the radio's ESN; the newest
  // kLogFilesKept stay.
  std::string folder;
  // Instead: this one file, rewritten by every update.
  std::string file;
  // Every byte on the line too.
  bool trace = false;
  // The program named on the log's first lines.
  std::string program = "p25update";
  // Told once, on the engine's thread, when the log cannot be written; the update goes on.
  std::function<void(const std::string&)> notice;
};

// True when the environment asks for a wire trace: P25UPDATE_TRACE set to anything but "" or "0".
bool TraceRequestedByEnvironment();

// The plain-text log of every update, for support: the program and the machine, the port, the radio's
// identity, each state entered, each request with its result, sends, retries and time, the recovery
// file's actions, every error with its codes and the OS's reason, and the outcome; with the trace,
// every byte on the line as well. Times are milliseconds since the update's start.
//
// It only formats into memory on the engine's thread; a LogWriter thread does the writing, so a
// slow or failing disk neither delays nor fails an update.
class SupportLog final : public EngineObserver, public CommandObserver, public WireObserver {
public:
  SupportLog(Clock& clock, SupportLogOptions options);
  ~SupportLog() override;
  SupportLog(const SupportLog&) = delete;
  SupportLog& operator=(const SupportLog&) = delete;

  // Starts observing them; they must outlive the log, or be detached first.
  void Attach(RadioLink& link, UpdateEngine& engine);
  void Detach();
  // Ends an update still going (its outcome is then unknown) and waits until its file is written.
  void Close();
  // The last update's log file; empty before the first update.
  std::string Path() const;
  // The last update's log could not be written.
  bool Failed() const;

  // EngineObserver.
  void StateEntered(const UpdateEngine& engine, UpdateState state, bool chained) override;
  void RecoveryFileAction(const UpdateEngine& engine, RecoveryAction action, bool ok) override;
  void UpdateFailed(const UpdateEngine& engine, const LinkStatus& link) override;
  void UpdateCompleted(const UpdateEngine& engine) override;
  void UpdateStopped(const UpdateEngine& engine) override;
  // CommandObserver.
  void CommandDone(const CommandReport& report) override;
  void LinkStepDone(const LinkStepReport& report) override;
  // WireObserver.
  void WireBytes(WireDirection direction, uint64_t micros, uint32_t baudRate, const uint8_t* data,
                 size_t count) override;

private:
  struct RateAsked {
    uint32_t rate;
    bool accepted;
  };

  void Begin(const UpdateEngine& engine);
  void WriteHeader(const UpdateEngine& engine);
  // Writes the outcome and what the engine knows at the end, and lets the file close.
  void Conclude(const UpdateEngine* engine, const std::string& outcome, const std::string& detail,
                bool failed = false);
  void NameAfter(const std::string& esn);
  // A line with the time since the start; more lines of the same event follow with Detail.
  void Event(const std::string& text);
  void Detail(const std::string& text);
  void Put();
  void CheckWriter();
  uint64_t SinceStart(uint64_t micros) const { return micros > startMicros_ ? micros - startMicros_ : 0; }

  Clock& clock_;
  SupportLogOptions options_;
  RadioLink* link_ = nullptr;
  UpdateEngine* engine_ = nullptr;
  std::unique_ptr<LogWriter> writer_;
  bool open_ = false;
  bool noticed_ = false;
  std::string text_;  // formatted, not yet handed to the writer
  WireTrace trace_;

  // The update being logged.
  uint64_t startMicros_ = 0;
  std::string folder_;
  std::string stem_;  // the file's name before the ESN is added
  bool named_ = false;
  UpdateState state_ = UpdateState::Start;
  UpdateState failedIn_ = UpdateState::Start;
  std::optional<uint32_t> features_;
  int chosenRate_ = 0;  // row of the rate list at the start
  std::vector<RateAsked> rates_;
  std::string lastFailed_;
  int retries_ = 0;
  int requests_ = 0;
  int failedRequests_ = 0;
  int states_ = 0;
};

}  // namespace p25
