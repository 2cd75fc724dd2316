#pragma once
// A window double for the engine: records control visibility, texts, progress, timers, questions,
// notices and beeps, and delivers timers on a virtual clock.
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/ControlIds.h"
#include "engine/TimerSchedule.h"
#include "engine/UpdateHost.h"
#include "platform/Clock.h"
#include "ui/common/WindowDescription.h"

namespace p25::testing {

class FakeHost final : public UpdateHost {
public:
  // The window as it is created; the activity and error lines show once they have something to say.
  explicit FakeHost(Clock& clock) : clock_(clock) {
    for (const ui::ControlTemplate& control : ui::kMainWindow.controls)
      if (control.id != ui::kNoId) controls[control.id] = {control.visible, true, control.text, 0, {}};
    controls[kIdActivityLine].visible = false;
    controls[kIdErrorLine].visible = false;
  }

  struct Control {
    bool visible = true;
    bool enabled = true;
    std::string text;
    int progress = 0;
    std::vector<int> progressHistory;
  };

  void ShowControl(int id, bool show) override { controls[id].visible = show; }
  void SetControlText(int id, const std::string& text) override { controls[id].text = text; }
  void ShowMessage(const std::string& text) override { notices.push_back(text); }
  void EnableControl(int id, bool enable) override { controls[id].enabled = enable; }
  void SetProgress(int id, int percent) override {
    controls[id].progress = percent;
    controls[id].progressHistory.push_back(percent);
  }
  void ExchangeData(ExchangeDirection direction, WindowValues& values) override {
    if (direction == ExchangeDirection::FromControls) {
      if (selectPort) values.selectedPortIndex = *selectPort;
      if (selectBaud) values.selectedBaudIndex = *selectBaud;
      return;
    }
    shown = values;
    if (activities.empty() || activities.back() != values.ActivityText) activities.push_back(values.ActivityText);
  }
  void StartTimer(int id, uint32_t periodMs) override { timers.Start(id, periodMs, clock_.ElapsedMs()); }
  void StopTimer(int id) override { timers.Stop(id); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Beep() override { ++beeps; }
  bool OpenPleaseWait() override {
    ++pleaseWaitOpened;
    pleaseWaitOpen = pleaseWaitWorks;
    return pleaseWaitWorks;
  }
  void ClosePleaseWait() override { pleaseWaitOpen = false; }
  bool IsPleaseWaitOpen() const override { return pleaseWaitOpen; }

  bool Visible(int id) { return controls[id].visible; }
  const std::string& Text(int id) { return controls[id].text; }

  std::map<int, Control> controls;
  TimerSchedule timers;
  WindowValues shown;
  std::vector<std::string> activities;
  std::vector<std::string> questions;
  std::vector<std::string> notices;
  std::deque<bool> answers;
  std::optional<int> selectPort;
  std::optional<int> selectBaud;
  int beeps = 0;
  int pleaseWaitOpened = 0;
  bool pleaseWaitOpen = false;
  bool pleaseWaitWorks = true;

private:
  Clock& clock_;
};

}  // namespace p25::testing
