#include "AuxDialogs.h"

#include "engine/ControlIds.h"
#include "ui/common/WindowDescription.h"

namespace p25 {

namespace {

template <typename T>
T* From(HWND window) {
  return reinterpret_cast<T*>(GetWindowLongPtrA(window, DWLP_USER));
}

}  // namespace

void AboutDialog::Run(HWND owner) {
  DialogBoxParamA(instance_, MAKEINTRESOURCEA(P25_IDD_ABOUT), owner,
                  [](HWND window, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
                    if (message == WM_INITDIALOG) return TRUE;
                    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                      EndDialog(window, LOWORD(wParam));
                      return TRUE;
                    }
                    return FALSE;
                  },
                  0);
}

ControlsHelpDialog::~ControlsHelpDialog() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void ControlsHelpDialog::Open(HWND owner) {
  if (window_ != nullptr) {
    SetActiveWindow(window_);
    return;
  }
  CreateDialogParamA(instance_, MAKEINTRESOURCEA(P25_IDD_CONTROLS_HELP), owner, Procedure,
                     reinterpret_cast<LPARAM>(this));
  if (window_ != nullptr) ShowWindow(window_, SW_SHOW);
}

INT_PTR CALLBACK ControlsHelpDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ControlsHelpDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->window_ = window;
    SetDlgItemTextA(window, P25_IDC_HELP_TEXT, ui::HelpText().c_str());
    return TRUE;
  }
  auto* self = From<ControlsHelpDialog>(window);
  if (self == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // OK, and Escape too, so no hidden help window is ever left behind.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      self->window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

PleaseWaitDialog::~PleaseWaitDialog() { Close(); }

bool PleaseWaitDialog::Open(HWND owner) {
  if (window_ != nullptr) return true;
  CreateDialogParamA(instance_, MAKEINTRESOURCEA(P25_IDD_PLEASE_WAIT), owner, Procedure,
                     reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) return false;
  ShowWindow(window_, SW_SHOW);
  return true;
}

void PleaseWaitDialog::Close() {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
}

INT_PTR CALLBACK PleaseWaitDialog::Procedure(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<PleaseWaitDialog*>(lParam)->window_ = window;
    return TRUE;
  }
  auto* self = From<PleaseWaitDialog>(window);
  if (self == nullptr) return FALSE;
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_COMMAND:
      // Escape leaves the notice up: it is there so that the radio is not unplugged.
      return TRUE;
    case WM_DESTROY:
      self->window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace p25
