#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>
#include <map>

#include "ui/common/WindowDescription.h"

namespace p25 {

// A small window of the updater from its description: fixed size in dialog units of the window font,
// title bar with a close box, no minimise or maximise box. Its OK button closes it.
class AuxWindow final : public QDialog {
public:
  AuxWindow(QWidget* owner, const ui::WindowTemplate& description, bool escapeCloses);

  // The control with this id, or null.
  QWidget* Control(int id) const;

protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

private:
  bool escapeCloses_;
  std::map<int, QWidget*> controls_;
};

// "About Update": modal, names the program and its version.
class AboutDialog {
public:
  explicit AboutDialog(QWidget* owner) : owner_(owner) {}
  // Runs the window modally; returns when the user closes it. Timers of the main window keep running.
  void Run();
  bool IsOpen() const { return !window_.isNull(); }
  QDialog* Window() const { return window_; }

private:
  QWidget* owner_;
  QPointer<QDialog> window_;
};

// Base of the two modeless windows: the object lives as long as the program, its window only while
// open. Closing the window destroys it, so the next opening always starts afresh.
class ModelessWindow {
public:
  explicit ModelessWindow(QWidget* owner) : owner_(owner) {}
  virtual ~ModelessWindow();
  ModelessWindow(const ModelessWindow&) = delete;
  ModelessWindow& operator=(const ModelessWindow&) = delete;

  bool IsOpen() const { return !window_.isNull() && !window_->isHidden(); }
  void Close();
  QDialog* Window() const { return IsOpen() ? window_.data() : nullptr; }

protected:
  virtual AuxWindow* Create(QWidget* owner) = 0;
  // Shows the window, creating it if it is not open; an open one is brought to the front.
  void OpenWindow();

private:
  QWidget* owner_;
  QPointer<AuxWindow> window_;
};

// "Update Control Help": the help lines, opened from Help, Controls.
class ControlsHelpDialog final : public ModelessWindow {
public:
  using ModelessWindow::ModelessWindow;
  void Open() { OpenWindow(); }

protected:
  AuxWindow* Create(QWidget* owner) override;
};

// "Please Wait": put up while the radio reboots. No buttons; Escape does nothing.
class PleaseWaitDialog final : public ModelessWindow {
public:
  using ModelessWindow::ModelessWindow;
  bool Open() {
    OpenWindow();
    return IsOpen();
  }

protected:
  AuxWindow* Create(QWidget* owner) override;
};

}  // namespace p25
