#pragma once
#include <cstdint>
#include <string>

#include "platform/PortTable.h"

namespace p25 {

// The values the window shows; the engine assigns them and the host writes them into its controls.
struct WindowValues {
  std::string ActivityText;
  std::string ErrorText;
  std::string ErrorDetail;
  std::string TimeRemainingText;
  std::string BytesRemainingText;
  int32_t selectedPortIndex = -1;
  int32_t selectedBaudIndex = -1;
  bool updateRunning = false;
};

enum class ExchangeDirection { ToControls, FromControls };

// Everything the engine asks of its window. The window, the terminal front end and the test double
// implement it, so every front end takes the same path through the engine.
class UpdateHost {
public:
  virtual ~UpdateHost() = default;

  virtual void ShowControl(int id, bool show) = 0;
  virtual void SetControlText(int id, const std::string& text) = 0;
  // A modal notice: OK button, exclamation icon, captioned with the application's name.
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void EnableControl(int id, bool enable) = 0;
  virtual void SetProgress(int id, int percent) = 0;
  // ToControls writes the values into the controls; FromControls reads the two list selections back.
  virtual void ExchangeData(ExchangeDirection direction, WindowValues& values) = 0;
  virtual void StartTimer(int id, uint32_t periodMs) = 0;
  virtual void StopTimer(int id) = 0;
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void Beep() = 0;
  virtual bool OpenPleaseWait() = 0;
  virtual void ClosePleaseWait() = 0;
  virtual bool IsPleaseWaitOpen() const = 0;
  // Fills the port and rate lists at start-up; a front end without lists has nothing to do.
  virtual void FillLists(const PortTable& ports, const uint32_t* rates, int rateCount) {
    (void)ports;
    (void)rates;
    (void)rateCount;
  }
};

}  // namespace p25
