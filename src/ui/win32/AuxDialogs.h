#pragma once
#include <windows.h>

namespace p25 {

// The About window: modal, from its template, with nothing of its own to handle.
class AboutDialog {
public:
  explicit AboutDialog(HINSTANCE instance) : instance_(instance) {}
  void Run(HWND owner);

private:
  HINSTANCE instance_;
};

// The help window: modeless, one at a time; opening it again brings the open one forward.
class ControlsHelpDialog {
public:
  explicit ControlsHelpDialog(HINSTANCE instance) : instance_(instance) {}
  ~ControlsHelpDialog();
  void Open(HWND owner);
  HWND Window() const { return window_; }

private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  HWND window_ = nullptr;
};

// The notice shown while the radio reboots: modeless, without buttons; its close box closes it.
class PleaseWaitDialog {
public:
  explicit PleaseWaitDialog(HINSTANCE instance) : instance_(instance) {}
  ~PleaseWaitDialog();
  bool Open(HWND owner);
  void Close();
  bool IsOpen() const { return window_ != nullptr; }
  HWND Window() const { return window_; }

private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  HWND window_ = nullptr;
};

}  // namespace p25
