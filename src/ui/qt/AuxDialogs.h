#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>

#include "Version.h"

namespace p25 {

// A small window of the updater: fixed size in dialog units of the window font, title bar with a close
// box, no minimise or maximise box.
class AuxWindow final : public QDialog {
public:
  AuxWindow(QWidget* owner, const QString& title, int widthUnits, int heightUnits, bool escapeCloses);

  QRect Place(int x, int y, int width, int height) const;

protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

private:
  bool escapeCloses_;
  int unitsX_;
  int unitsY_;
};

// "About Update": modal, names the program and its version.
class AboutDialog {
public:
  static constexpr char kVersionText[] = P25_ABOUT_VERSION_TEXT;

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

// "Update Control Help": three lines of help, opened from Help, Controls.
class ControlsHelpDialog final : public ModelessWindow {
public:
  static QString HelpText();

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
