#include "UpdateDialog.h"

#include <commctrl.h>

#include <vector>

#include "engine/ControlIds.h"
#include "platform/SerialDevice.h"
#include "ui/common/WindowDescription.h"

namespace p25 {

void Win32WaitPainter::PaintPending() {
  // Only paint messages leave the queue (a bounded number, should a window keep asking). Looking at
  // the queue also delivers what other threads send, such as the desktop's checks that the window lives.
  MSG message;
  for (int i = 0; i < 64 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
    DispatchMessageA(&message);
}

namespace {
// Posted when the support log cannot be written, so the notice waits until the tick is over.
constexpr UINT kLogNoticeMessage = WM_APP + 1;
}  // namespace

UpdateDialog::UpdateDialog(HINSTANCE instance, std::unique_ptr<SerialDevice> device, Clock& clock,
                           const ResourceSource& resources, PortTable ports)
    : instance_(instance),
      icon_(LoadIconA(instance, MAKEINTRESOURCEA(P25_IDI_PROGRAM))),
      clock_(clock, painter_),
      session_(std::make_unique<PaintingSerialDevice>(std::move(device), painter_), clock_, *this, std::move(ports),
               resources),
      about_(instance),
      help_(instance),
      pleaseWait_(instance) {}

UpdateDialog::~UpdateDialog() {
  if (window_ != nullptr) DestroyWindow(window_);
}

bool UpdateDialog::Create() {
  CreateDialogParamA(instance_, MAKEINTRESOURCEA(P25_IDD_MAIN), nullptr, Procedure, reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) return false;
  ShowWindow(window_, SW_SHOW);
  return true;
}

void UpdateDialog::KeepSupportLog(const std::string& folder, bool trace) {
  SupportLogOptions options;
  options.folder = folder;
  options.trace = trace;
  options.notice = [this](const std::string& text) {
    logNotice_ = text;
    if (window_ != nullptr) PostMessageA(window_, kLogNoticeMessage, 0, 0);
  };
  session_.KeepSupportLog(std::move(options));
}

bool UpdateDialog::PreTranslate(MSG& message) {
  for (HWND window : {window_, help_.Window(), pleaseWait_.Window()})
    if (window != nullptr && IsDialogMessageA(window, &message)) return true;
  return false;
}

INT_PTR CALLBACK UpdateDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<UpdateDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->window_ = window;
    return self->InitDialog();
  }
  auto* self = reinterpret_cast<UpdateDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  return self == nullptr ? FALSE : self->Handle(message, wParam, lParam);
}

template <class Call>
void UpdateDialog::RunEngine(const Call& call) {
  // A message box inside a tick runs its own loop, which may run another engine call.
  const bool outer = painter_.Active();
  painter_.SetActive(true);
  call();
  painter_.SetActive(outer);
}

INT_PTR UpdateDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // Sent from another thread while the engine waits, a command would run inside the tick: it is
  // posted again, to be handled once the tick is over, as a press is.
  if (painter_.Active() && (message == WM_COMMAND || message == WM_CLOSE)) {
    PostMessageA(window_, message, wParam, lParam);
    return TRUE;
  }
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == P25_IDM_ABOUT_BOX) {
        about_.Run(window_);
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      return PaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdUpdateButton: RunEngine([this] { session_.PressUpdate(); }); return TRUE;
        case kIdExitButton: OnExitClicked(); return TRUE;
        case P25_ID_HELP_ABOUT: about_.Run(window_); return TRUE;
        case P25_ID_HELP_CONTROLS: help_.Open(window_); return TRUE;
        // Enter on a list and Escape: the window has no OK or Cancel of its own.
        default: return TRUE;
      }
    case WM_TIMER:
      if (wParam == kUpdateTimer || wParam == kRebootWatchdogTimer)
        RunEngine([this, wParam] { session_.OnTimer(static_cast<int>(wParam)); });
      return FALSE;
    case WM_CLOSE:
      OnExitClicked();
      return TRUE;
    case kLogNoticeMessage:
      // The update goes on beneath the message box: its timer ticks keep coming.
      ShowMessage(logNotice_);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return FALSE;
    case WM_NCDESTROY:
      window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

BOOL UpdateDialog::InitDialog() {
  AddAboutToSystemMenu();
  SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  // Missing images are told before the window shows: it appears once start-up is complete.
  session_.Start();
  return TRUE;
}

void UpdateDialog::AddAboutToSystemMenu() {
  HMENU menu = GetSystemMenu(window_, FALSE);
  if (menu == nullptr) return;
  char text[256] = {};
  if (LoadStringA(instance_, P25_IDS_ABOUT_ENTRY, text, sizeof text) <= 0) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, P25_IDM_ABOUT_BOX, text);
}

void UpdateDialog::FillLists(const PortTable& ports, const uint32_t* rates, int rateCount) {
  for (int i = 0; i < rateCount; ++i)
    SendDlgItemMessageA(window_, kIdBaudList, CB_INSERTSTRING, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(std::to_string(rates[i]).c_str()));
  for (int i = 0; i < ports.Size(); ++i)
    SendDlgItemMessageA(window_, kIdPortList, CB_INSERTSTRING, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(ports.displayNames[static_cast<size_t>(i)].c_str()));
  SetWindowTextA(window_, ui::kMainWindowTitle);
}

bool UpdateDialog::PaintMinimised() {
  if (!IsIconic(window_)) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(window_, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon_);
  EndPaint(window_, &paint);
  return true;
}

void UpdateDialog::OnExitClicked() {
  // Nothing is asked and nothing is sent to the radio; the timers end with the window. The window
  // object outlives the message loop, so the log is finished here.
  if (session_.Log() != nullptr) session_.Log()->Close();
  if (window_ != nullptr) DestroyWindow(window_);
}

void UpdateDialog::ShowControl(int id, bool show) {
  if (HWND control = GetDlgItem(window_, id)) ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

void UpdateDialog::SetControlText(int id, const std::string& text) {
  HWND control = GetDlgItem(window_, id);
  if (control == nullptr) return;
  // Rewriting an unchanged text makes the control flicker on every tick.
  const int length = GetWindowTextLengthA(control);
  std::vector<char> current(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, current.data(), length + 1);
  if (text != current.data()) SetWindowTextA(control, text.c_str());
}

void UpdateDialog::ShowMessage(const std::string& text) {
  MessageBoxA(window_, text.c_str(), ui::kApplicationName, MB_OK | MB_ICONEXCLAMATION);
}

bool UpdateDialog::AskYesNo(const std::string& text) {
  return MessageBoxA(window_, text.c_str(), ui::kApplicationName, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

void UpdateDialog::EnableControl(int id, bool enable) {
  if (HWND control = GetDlgItem(window_, id)) EnableWindow(control, enable ? TRUE : FALSE);
}

void UpdateDialog::SetProgress(int id, int percent) {
  SendDlgItemMessageA(window_, id, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void UpdateDialog::ExchangeData(ExchangeDirection direction, WindowValues& values) {
  if (window_ == nullptr) return;
  if (direction == ExchangeDirection::FromControls) {
    values.selectedPortIndex = static_cast<int32_t>(SendDlgItemMessageA(window_, kIdPortList, CB_GETCURSEL, 0, 0));
    values.selectedBaudIndex = static_cast<int32_t>(SendDlgItemMessageA(window_, kIdBaudList, CB_GETCURSEL, 0, 0));
    return;
  }
  SetControlText(kIdActivityLine, values.ActivityText);
  SetControlText(kIdErrorLine, values.ErrorText);
  SetControlText(kIdTimeValue, values.TimeRemainingText);
  SetControlText(kIdBytesValue, values.BytesRemainingText);
  SendDlgItemMessageA(window_, kIdPortList, CB_SETCURSEL, static_cast<WPARAM>(values.selectedPortIndex), 0);
  SendDlgItemMessageA(window_, kIdBaudList, CB_SETCURSEL, static_cast<WPARAM>(values.selectedBaudIndex), 0);
}

void UpdateDialog::StartTimer(int id, uint32_t periodMs) { SetTimer(window_, static_cast<UINT_PTR>(id), periodMs, nullptr); }
void UpdateDialog::StopTimer(int id) { KillTimer(window_, static_cast<UINT_PTR>(id)); }
void UpdateDialog::Beep() { MessageBeep(MB_ICONHAND); }
bool UpdateDialog::OpenPleaseWait() { return pleaseWait_.Open(window_); }
void UpdateDialog::ClosePleaseWait() { pleaseWait_.Close(); }

}  // namespace p25
