#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "AuxDialogs.h"
#include "engine/UpdateSession.h"
#include "images/Catalogue.h"
#include "platform/PortTable.h"
#include "platform/Resources.h"
#include "session/RadioLink.h"
#include "ui/common/WaitPainting.h"

namespace p25 {

class Clock;
class SerialDevice;

// Lets the windows of this thread repaint during the engine's waits, and answers what the desktop
// sends; input and timers stay queued until the engine returns.
class Win32WaitPainter final : public WaitPainter {
protected:
  void PaintPending() override;
};

// The main window: a modeless dialog from template 102 that owns the radio link, the image catalogue
// and the update engine, and runs the engine in its window timer. The engine reaches it only through
// UpdateHost, so it shows exactly what every other front end shows.
class UpdateDialog final : public UpdateHost {
public:
  UpdateDialog(HINSTANCE instance, std::unique_ptr<SerialDevice> device, Clock& clock,
               const ResourceSource& resources = EmbeddedResources(), PortTable ports = SystemPortTable());
  ~UpdateDialog() override;
  UpdateDialog(const UpdateDialog&) = delete;
  UpdateDialog& operator=(const UpdateDialog&) = delete;

  // Creates the window (initialising it before it is first shown) and shows it.
  bool Create();
  // Lets the modeless windows take their keyboard messages; true when one did.
  bool PreTranslate(MSG& message);
  // Keeps a support log of every update in the folder, with the wire trace when asked.
  void KeepSupportLog(const std::string& folder, bool trace);

  HWND Window() const { return window_; }
  // True while an engine call (a tick or a press) is in progress; the window then only paints.
  bool EngineBusy() const { return painter_.Active(); }
  UpdateSession& Session() { return session_; }
  UpdateEngine& Engine() { return session_.Engine(); }
  RadioLink& Link() { return session_.Link(); }
  ControlsHelpDialog& Help() { return help_; }
  PleaseWaitDialog& PleaseWait() { return pleaseWait_; }

  // UpdateHost.
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
  bool IsPleaseWaitOpen() const override { return pleaseWait_.IsOpen(); }

private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL InitDialog();
  void AddAboutToSystemMenu();
  void FillLists(const PortTable& ports, const uint32_t* rates, int rateCount) override;
  bool PaintMinimised();
  void OnExitClicked();
  // Runs an engine call with painting during its waits.
  template <class Call>
  void RunEngine(const Call& call);

  HINSTANCE instance_;
  HICON icon_;
  Win32WaitPainter painter_;
  PaintingClock clock_;
  UpdateSession session_;
  std::string logNotice_;  // the support log's notice, shown once the tick is over
  AboutDialog about_;
  ControlsHelpDialog help_;
  PleaseWaitDialog pleaseWait_;
  HWND window_ = nullptr;
};

}  // namespace p25
