#include "engine/SupportLog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "Version.h"
#include "engine/LogWriter.h"
#include "engine/UpdateEngine.h"
#include "images/Catalogue.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LogFolder.h"
#include "platform/SerialDevice.h"
#include "platform/SystemInfo.h"
#include "protocol/MessageText.h"
#include "protocol/Messages.h"
#include "session/RadioLink.h"


namespace p25 {

namespace {

constexpr char kIndent[] = "           ";

std::string Format(const char* format, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string Duration(uint64_t micros) { return Format("%.1f ms", static_cast<double>(micros) / 1000.0); }

std::string Seconds(uint64_t micros) { return Format("%.3f s", static_cast<double>(micros) / 1e6); }

// "link error 3: Failed to receive frame from radio; system code 5: Input/output error"; the system
// code only where there is one, unless always.
std::string ErrorText(const LinkStatus& status, bool always = false) {
  std::string text = "link error " + std::to_string(status.ErrorCode()) + ": " +
                     (status.ErrorText().empty() ? std::string("no reason given") : status.ErrorText());
  if (const uint32_t system = status.SystemErrorCode(); system != 0)
    text += "; system code " + std::to_string(system) + ": " + SystemErrorText(system);
  else if (always)
    text += "; system code 0 (the system reported no error)";
  return text;
}

const char* FamilyName(uint32_t features) {
  return FamilyOf(features) == ImageFamily::Family503 ? "503+" : "501";
}

struct WallClock {
  std::string iso;    // 2024-05-01T10:23:45.123+02:00
  std::string stamp;  // 20240501T102345
};

WallClock Now() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
  const LocalTime t = LocalTimeOf(ms / 1000);
  const int offset = t.offsetMinutes < 0 ? -t.offsetMinutes : t.offsetMinutes;
  return {Format("%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                 static_cast<int>(ms % 1000), t.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60),
          Format("%04d%02d%02dT%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second)};
}

}  // namespace

bool TraceRequestedByEnvironment() {
  const char* value = std::getenv("P25UPDATE_TRACE");
  return value != nullptr && value[0] != '\0' && std::string(value) != "0";
}

SupportLog::SupportLog(Clock& clock, SupportLogOptions options) : clock_(clock), options_(std::move(options)) {}

SupportLog::~SupportLog() {
  Close();
  Detach();
}

void SupportLog::Attach(RadioLink& link, UpdateEngine& engine) {
  link_ = &link;
  engine_ = &engine;
  link.SetCommandObserver(this);
  // Without the trace the port is not watched at all: the bytes cost nothing.
  if (options_.trace) link.Port().SetWireObserver(this);
  engine.SetObserver(this);
}

void SupportLog::Detach() {
  if (link_ != nullptr) {
    link_->SetCommandObserver(nullptr);
    link_->Port().SetWireObserver(nullptr);
  }
  if (engine_ != nullptr) engine_->SetObserver(nullptr);
  link_ = nullptr;
  engine_ = nullptr;
}

void SupportLog::Close() {
  if (open_) Conclude(engine_, "unknown", "the log was closed before the update ended");
  if (writer_) writer_->Join();
  CheckWriter();
}

std::string SupportLog::Path() const { return writer_ ? writer_->Path() : std::string(); }

bool SupportLog::Failed() const { return writer_ && writer_->Failed(); }

// ---- The update's file ----

void SupportLog::Begin(const UpdateEngine& engine) {
  if (open_) Conclude(&engine, "unknown", "another update started");
  writer_.reset();
  const WallClock now = Now();
  startMicros_ = clock_.ElapsedMicros();
  folder_ = options_.file.empty() ? options_.folder : std::string();
  if (options_.file.empty() && folder_.empty()) {
    if (!noticed_ && options_.notice)
      options_.notice("No support log is kept: neither XDG_STATE_HOME nor HOME names a folder for it.");
    noticed_ = true;
    return;
  }
  writer_ = folder_.empty() ? std::make_unique<LogWriter>(options_.file)
                            : std::make_unique<LogWriter>(folder_, now.stamp, kLogFilesKept);
  open_ = true;
  named_ = folder_.empty();
  trace_ = WireTrace{};
  state_ = failedIn_ = UpdateState::Start;
  features_.reset();
  rates_.clear();
  lastFailed_.clear();
  retries_ = requests_ = failedRequests_ = states_ = 0;
  text_ = options_.program + " support log\n";
  text_ += Format("Program    %s %s\n", options_.program.c_str(), P25_VERSION);
  text_ += "System     " + OperatingSystemText() + "\n";
  text_ += "Started    " + now.iso + "\n";
  WriteHeader(engine);
  Put();
}

void SupportLog::WriteHeader(const UpdateEngine& engine) {
  const PortTable& ports = engine.Ports();
  const int row = engine.Values().selectedPortIndex;
  if (row >= 0 && row < ports.Size()) {
    const std::string& device = ports.deviceNames[static_cast<size_t>(row)];
    const std::string resolved = ResolvedDevicePath(device);
    text_ += "Port       " + ports.displayNames[static_cast<size_t>(row)] + " (device " + device +
             (resolved != device ? " = " + resolved : std::string()) + ")\n";
    const std::string adapter = SerialAdapterText(device);
    text_ += "Adapter    " + (adapter.empty() ? std::string("none found (not a USB adapter, or the system does not say)")
                                              : adapter) + "\n";
  } else {
    text_ += "Port       none: row " + std::to_string(row) + " of the port list is not a port\n";
  }
  const int rate = chosenRate_ = engine.Values().selectedBaudIndex;
  text_ += "Rate       " + (rate >= 0 && rate < kBaudRateCount ? std::to_string(kBaudRates[rate]) + " chosen"
                                                              : "row " + std::to_string(rate) + ": no rate") + "\n";
  text_ += options_.trace ? "Trace      on: every byte on the line, times in ms.us, -> to the radio, <- from it\n"
                          : "Trace      off\n";
  text_ += "\nTimes are milliseconds since the start.\n";
}

void SupportLog::Conclude(const UpdateEngine* engine, const std::string& outcome, const std::string& detail,
                          bool failed) {
  trace_.Finish(text_);
  const uint64_t total = SinceStart(clock_.ElapsedMicros());
  text_ += "\nOutcome    " + outcome + " after " + Seconds(total) + (detail.empty() ? "" : ": " + detail) + "\n";
  if (engine != nullptr) {
    std::string radio = "serial number " + std::to_string(engine->RadioSerialNumber()) + ", ESN " +
                        (engine->RadioEsn().empty() ? std::string("unknown") : engine->RadioEsn());
    radio += features_ ? Format(", HW features 0x%08X, family %s", *features_, FamilyName(*features_))
                       : std::string(", HW features not read");
    text_ += "Radio      " + radio + "\n";
    auto rateAt = [](int row) { return row >= 0 && row < kBaudRateCount ? std::to_string(kBaudRates[row]) : "none"; };
    std::string rates = "chosen " + rateAt(chosenRate_) + ", at the end " + rateAt(engine->Values().selectedBaudIndex);
    if (rates_.empty()) rates += "; the radio was not asked for a rate";
    for (size_t i = 0; i < rates_.size(); ++i)
      rates += Format("%s%u (%s)", i == 0 ? "; asked the radio for " : ", ", rates_[i].rate,
                      rates_[i].accepted ? "accepted" : "refused");
    text_ += "Rates      " + rates + "\n";
    if (!engine->RadioEsn().empty())
      text_ += "Recovery   " + engine->RecoveryPath() +
               (FileMayExist(engine->RecoveryPath()) ? " is kept\n" : " is not there\n");
    const std::string now = engine->DescribeRadio();
    text_ += "Radio now  " + now + "\n";
    if (const std::string advice = engine->FailureAdvice(); failed && advice != now) text_ += "Advice     " + advice + "\n";
  }
  text_ += Format("Requests   %d, %d of them failed; %d states entered\n", requests_, failedRequests_, states_);
  Put();
  open_ = false;
  writer_->Finish();
  CheckWriter();
}

void SupportLog::NameAfter(const std::string& esn) {
  if (named_ || esn.empty()) return;
  named_ = true;
  writer_->AddToName(esn);
}

void SupportLog::Event(const std::string& text) {
  // Console bytes collected so far go first, so the lines keep their order.
  trace_.EndRuns(text_);
  text_ += Format("%9llu  ", static_cast<unsigned long long>(SinceStart(clock_.ElapsedMicros()) / 1000));
  text_ += text;
  text_ += '\n';
}

void SupportLog::Detail(const std::string& text) {
  text_ += kIndent;
  text_ += text;
  text_ += '\n';
}

void SupportLog::Put() {
  if (writer_ && !text_.empty()) writer_->Append(text_);
  text_.clear();
}

void SupportLog::CheckWriter() {
  if (noticed_ || !writer_ || !writer_->Failed()) return;
  noticed_ = true;
  if (options_.notice)
    options_.notice("The support log could not be written (" + writer_->Failure() +
                    "); the update goes on without it.");
}

// ---- The engine ----

void SupportLog::StateEntered(const UpdateEngine& engine, UpdateState state, bool chained) {
  if (state == UpdateState::Start && !chained) Begin(engine);
  if (!open_) return;
  ++states_;
  if (state == UpdateState::Failed) failedIn_ = state_;
  state_ = state;
  NameAfter(engine.RadioEsn());
  Event(chained ? std::string("step ") + UpdateStateName(state) + ", chained without a pause"
                : std::string("state ") + UpdateStateName(state));
  Put();
  // A state is entered at most every few seconds: the place to have the file catch up.
  if (!chained) writer_->Flush();
  CheckWriter();
}

void SupportLog::RecoveryFileAction(const UpdateEngine& engine, RecoveryAction action, bool ok) {
  if (!open_) return;
  const std::string number = std::to_string(engine.RadioSerialNumber());
  std::string what;
  switch (action) {
    case RecoveryAction::Appended:
      what = ok ? "record of serial number " + number + " appended"
                : "could not append the record of serial number " + number + " (" +
                      SystemErrorText(engine.RecoveryWriteError()) + ")";
      break;
    case RecoveryAction::Restored:
      what = ok ? "serial number " + number + " written back into the radio" : "writing serial number " + number + " back failed";
      break;
    case RecoveryAction::Kept: what = "kept: it may hold the only good copy of the serial number"; break;
    case RecoveryAction::Removed:
      what = ok ? "removed: the radio holds its serial number again" : "could not be removed";
      break;
    case RecoveryAction::RemovedOtherRadio:
      what = ok ? "removed: a different radio answered" : "could not be removed (a different radio answered)";
      break;
  }
  Event("recovery file " + engine.RecoveryPath() + ": " + what);
  Put();
}

void SupportLog::UpdateFailed(const UpdateEngine& engine, const LinkStatus& link) {
  if (!open_) return;
  const std::string outcome = std::string("failed in ") + UpdateStateName(failedIn_);
  Event(outcome + ": " + engine.Values().ErrorText);
  Detail(ErrorText(link, true));
  Conclude(&engine, outcome, engine.Values().ErrorText, true);
}

void SupportLog::UpdateCompleted(const UpdateEngine& engine) {
  if (!open_) return;
  Event("completed: " + engine.Values().ActivityText);
  Conclude(&engine, "completed", engine.Values().ActivityText);
}

void SupportLog::UpdateStopped(const UpdateEngine& engine) {
  if (!open_) return;
  const std::string outcome = std::string("stopped by the user in ") + UpdateStateName(state_);
  Event(outcome);
  Conclude(&engine, outcome, "");
}

// ---- The link ----

void SupportLog::CommandDone(const CommandReport& report) {
  if (!open_) return;
  ++requests_;
  const Level2Frame& request = report.message.TransmitFrame();
  // The request's frame holds its CRC once it was built; a request refused before that has none.
  const std::string what = request.length >= kMessageHeaderSize + 2
                               ? DescribeMessage(request.Data(), request.length - 2)
                               : Format("request 0x%02X, not sent", report.message.Id());
  retries_ = what == lastFailed_ ? retries_ + 1 : 0;
  lastFailed_ = report.ok ? std::string() : what;
  std::string result;
  if (report.ok) {
    result = "ok";
    if (const auto* serial = dynamic_cast<const ReadSerialNumberMessage*>(&report.message)) {
      result += ", serial number " + std::to_string(serial->SerialNumber());
    } else if (const auto* esn = dynamic_cast<const ReadEsnMessage*>(&report.message)) {
      result += ", ESN " + esn->Esn();
    } else if (const auto* features = dynamic_cast<const ReadHwFeaturesMessage*>(&report.message)) {
      features_ = features->Features();
      result += Format(", HW features 0x%08X, family %s", *features_, FamilyName(*features_));
    }
  } else {
    ++failedRequests_;
    // A refusal of an optional confirmation reports no error of its own.
    result = report.status.ErrorCode() == 0 ? "not confirmed" : "failed, " + ErrorText(report.status);
  }
  if (const auto* rate = dynamic_cast<const ChangeBaudRateMessage*>(&report.message))
    rates_.push_back({rate->Value(), report.ok});
  if (report.sends > 1) result += ", sent " + std::to_string(report.sends) + " times";
  if (retries_ > 0) result += ", retry " + std::to_string(retries_);
  Event(what + ": " + result + " (" + Duration(report.micros) + ")");
  Put();
}

void SupportLog::LinkStepDone(const LinkStepReport& report) {
  if (!open_) return;
  std::string what(report.what);
  if (what == "open") what += " " + std::string(report.device);
  what += " at " + std::to_string(report.baudRate) + " baud: ";
  what += report.ok ? std::string("ok") : "failed, " + ErrorText(report.status);
  Event(what + " (" + Duration(report.micros) + ")");
  Put();
}

void SupportLog::WireBytes(WireDirection direction, uint64_t micros, uint32_t baudRate, const uint8_t* data,
                           size_t count) {
  if (!open_) return;
  trace_.Feed(direction, SinceStart(micros), baudRate, data, count, text_);
  Put();
}

}  // namespace p25
