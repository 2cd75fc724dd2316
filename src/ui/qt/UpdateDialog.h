#pragma once
#include <QDialog>
#include <functional>
#include <map>
#include <memory>

#include "AuxDialogs.h"
#include "DialogUnits.h"
#include "engine/UpdateSession.h"
#include "images/Catalogue.h"
#include "platform/PortTable.h"
#include "platform/Resources.h"
#include "session/RadioLink.h"
#include "ui/common/WaitPainting.h"

class QMenuBar;
class QTimer;
class QAction;

namespace p25 {

// Lets the Qt windows repaint during the engine's waits; input stays queued.
class QtWaitPainter final : public WaitPainter {
protected:
  void PaintPending() override;
};

// The updater's one window. It owns the link, the catalogue and the engine; the engine drives it
// through UpdateHost, and its window timers drive the engine.
class UpdateDialog final : public QDialog, public UpdateHost {
public:
  UpdateDialog(std::unique_ptr<SerialDevice> device, Clock& clock, PortTable ports,
               const ResourceSource& resources = EmbeddedResources());
  ~UpdateDialog() override;

  // Loads the catalogue, lays out the version area, fills the lists and reports what is missing; run
  // once before the window is first shown.
  bool InitDialog();
  void OnUpdateClicked();
  // Exit and the close box: the window goes away at once, whatever the engine is doing.
  void OnExitClicked();
  void OnTimer(int id);
  void OnHelpControls();
  void OnHelpAbout();
  void RefreshStatus();
  // Keeps a support log of every update in the folder, with the wire trace when asked.
  void KeepSupportLog(const std::string& folder, bool trace);

  // What follows an exit (the application ends its message loop).
  void SetExitAction(std::function<void()> action) { exitAction_ = std::move(action); }
  bool HasExited() const { return exited_; }
  // True while an engine call (a tick or a button press) is in progress; the window then only paints.
  bool EngineBusy() const { return painter_.Active(); }

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
  bool IsPleaseWaitOpen() const override;
  void FillLists(const PortTable& ports, const uint32_t* rates, int rateCount) override;

  // The control with this id, or null.
  QWidget* Control(int id) const;
  QMenuBar* MenuBar() const { return menuBar_; }
  QAction* HelpControlsAction() const { return helpControls_; }
  QAction* HelpAboutAction() const { return helpAbout_; }
  QTimer* Timer(int id) const;
  UpdateSession& Session() { return session_; }
  UpdateEngine& Engine() { return session_.Engine(); }
  RadioLink& Link() { return session_.Link(); }
  ControlsHelpDialog& HelpWindow() { return help_; }
  PleaseWaitDialog& PleaseWaitWindow() { return pleaseWait_; }
  AboutDialog& AboutWindow() { return about_; }

protected:
  // Escape does nothing in the main window.
  void reject() override {}
  void closeEvent(QCloseEvent* event) override;

private:
  void BuildMenu();
  QTimer* EnsureTimer(int id);
  // Runs an engine call with painting during its waits; a watchdog expiry that arrived meanwhile is
  // delivered after it.
  void RunEngine(const std::function<void()>& call);

  QtWaitPainter painter_;
  PaintingClock clock_;
  UpdateSession session_;
  AboutDialog about_;
  ControlsHelpDialog help_;
  PleaseWaitDialog pleaseWait_;
  DialogUnits units_;
  QMenuBar* menuBar_ = nullptr;
  QAction* helpControls_ = nullptr;
  QAction* helpAbout_ = nullptr;
  std::map<int, QWidget*> controls_;
  std::map<int, QTimer*> timers_;
  std::function<void()> exitAction_;
  bool watchdogPending_ = false;
  bool exited_ = false;
};

}  // namespace p25
