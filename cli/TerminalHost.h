#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "CliOptions.h"
#include "engine/TimerSchedule.h"
#include "engine/UpdateHost.h"

namespace p25 {

class Clock;
class RadioLink;

// The engine's window, drawn on a terminal: each new activity on its own line, a live progress line
// redrawn in place (plain lines at most once a second when not a terminal), the error line, notices
// and the question exactly as the window would show them.
class TerminalHost final : public UpdateHost {
public:
  TerminalHost(std::FILE* out, std::FILE* in, bool interactive, CliAnswer answer, Clock& clock);

  void Attach(RadioLink* link) { link_ = link; }
  // The device the update opens, named when opening it fails.
  void SetDevice(const std::string& device) { device_ = device; }

  void ShowControl(int id, bool show) override;
  void SetControlText(int id, const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void EnableControl(int id, bool enable) override;
  void SetProgress(int id, int percent) override;
  void ExchangeData(ExchangeDirection direction, WindowValues& values) override;
  void StartTimer(int id, uint32_t periodMs) override;
  void StopTimer(int id) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override;
  bool OpenPleaseWait() override;
  void ClosePleaseWait() override;
  bool IsPleaseWaitOpen() const override { return pleaseWaitOpen_; }

  // A line shown before the question, when the front end knows something that bears on the answer.
  void SetQuestionNote(std::function<std::string()> note) { questionNote_ = std::move(note); }

  TimerSchedule& Timers() { return timers_; }
  bool Visible(int id) const;
  std::string Text(int id) const;
  // Ends the live line so that what follows starts on a fresh line.
  void FinishLine();

private:
  struct Control {
    bool visible = true;
    bool enabled = true;
    std::string text;
    int progress = 0;
  };
  Control& At(int id) { return controls_[id]; }
  void DrawProgress(const WindowValues& values);
  void PrintLine(const std::string& text);
  void ExplainSystemError();

  std::FILE* out_;
  std::FILE* in_;
  bool interactive_;
  CliAnswer answer_;
  Clock& clock_;
  RadioLink* link_ = nullptr;
  std::string device_;
  TimerSchedule timers_;
  std::map<int, Control> controls_;
  std::string shownActivity_;
  std::string shownError_;
  std::string lastProgress_;
  uint64_t lastProgressMs_ = 0;
  bool liveLine_ = false;
  bool pleaseWaitOpen_ = false;
  std::function<std::string()> questionNote_;
};

}  // namespace p25
