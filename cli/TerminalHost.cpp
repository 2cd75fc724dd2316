#include "TerminalHost.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include "engine/ControlIds.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "session/RadioLink.h"
#include "ui/common/WindowDescription.h"

namespace p25 {

namespace {

std::string Bar(int percent, int width) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  const int filled = percent * width / 100;
  // Appended piece by piece: at -O3 GCC 12 warns falsely about "[" + std::string (its bug 105329).
  std::string bar(1, '[');
  bar.append(static_cast<size_t>(filled), '#').append(static_cast<size_t>(width - filled), '.') += ']';
  return bar;
}

#ifndef _WIN32
// What a user who may not open the device has to do. Serial devices belong to a group (dialout on
// Debian) whose members may use them; a login started before the user joined it is still refused.
std::string PermissionAdvice(const std::string& device) {
  const passwd* account = getpwuid(geteuid());
  const std::string user = account != nullptr ? account->pw_name : "$USER";
  std::string group = "dialout";
  struct stat info {};
  if (!device.empty() && stat(device.c_str(), &info) == 0) {
    const bool groupMayUse = info.st_gid != 0 && (info.st_mode & S_IRGRP) != 0 && (info.st_mode & S_IWGRP) != 0;
    const struct group* owner = getgrgid(info.st_gid);
    group = owner != nullptr ? owner->gr_name : std::to_string(info.st_gid);
    if (!groupMayUse)
      return ": user " + user + " may not use " + device + " and neither may its group " + group +
             "; ask the administrator to give " + user + " access to it";
  }
  const std::string what = device.empty() ? "serial ports" : device;
  return ": this login of user " + user + " is not in the group " + group + ", which may use " + what +
         ". Add the user to it with 'sudo usermod -aG " + group + " " + user + "', then log out and log in again";
}
#endif

}  // namespace

TerminalHost::TerminalHost(std::FILE* out, std::FILE* in, bool interactive, CliAnswer answer, Clock& clock)
    : out_(out), in_(in), interactive_(interactive), answer_(answer), clock_(clock) {
  // The window as it is created; the activity and error lines show once they have something to say.
  for (const ui::ControlTemplate& control : ui::kMainWindow.controls)
    if (control.id != ui::kNoId) At(control.id) = {control.visible, true, control.text, 0};
  At(kIdActivityLine).visible = false;
  At(kIdErrorLine).visible = false;
}

bool TerminalHost::Visible(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() || it->second.visible;
}

std::string TerminalHost::Text(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? std::string() : it->second.text;
}

void TerminalHost::ShowControl(int id, bool show) { At(id).visible = show; }
void TerminalHost::SetControlText(int id, const std::string& text) { At(id).text = text; }
void TerminalHost::EnableControl(int id, bool enable) { At(id).enabled = enable; }
void TerminalHost::SetProgress(int id, int percent) { At(id).progress = percent; }

void TerminalHost::FinishLine() {
  if (!liveLine_) return;
  std::fputs("\r\033[K", out_);
  liveLine_ = false;
}

void TerminalHost::PrintLine(const std::string& text) {
  FinishLine();
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

void TerminalHost::ShowMessage(const std::string& text) { PrintLine("Notice: " + text); }

void TerminalHost::StartTimer(int id, uint32_t periodMs) { timers_.Start(id, periodMs, clock_.ElapsedMs()); }
void TerminalHost::StopTimer(int id) { timers_.Stop(id); }

bool TerminalHost::AskYesNo(const std::string& text) {
  if (questionNote_) {
    const std::string note = questionNote_();
    if (!note.empty()) PrintLine(note);
  }
  PrintLine(text);
  if (answer_ != CliAnswer::Ask) {
    PrintLine(answer_ == CliAnswer::Yes ? "Answered Yes (--yes)." : "Answered No (--no).");
    return answer_ == CliAnswer::Yes;
  }
  if (!interactive_ || in_ == nullptr) {
    PrintLine("Answered No: no terminal to ask on (use --yes or --no).");
    return false;
  }
  for (;;) {
    std::fputs("Continue? [y/n] ", out_);
    std::fflush(out_);
    char line[64];
    if (std::fgets(line, sizeof line, in_) == nullptr) return false;
    if (line[0] == 'y' || line[0] == 'Y') return true;
    if (line[0] == 'n' || line[0] == 'N') return false;
  }
}

void TerminalHost::Beep() {
  if (interactive_) {
    std::fputc('\a', out_);
    std::fflush(out_);
  }
}

bool TerminalHost::OpenPleaseWait() {
  if (!pleaseWaitOpen_) PrintLine("Please Wait. Do not disconnect the radio while the orange LED is lit.");
  pleaseWaitOpen_ = true;
  return true;
}

void TerminalHost::ClosePleaseWait() { pleaseWaitOpen_ = false; }

void TerminalHost::ExplainSystemError() {
  if (link_ == nullptr) return;
  uint32_t code = 0;
  uint32_t system = 0;
  link_->LastError(&code, &system);
  const bool lost = link_->DeviceLost();
  if (system == 0 || (code != kErrorPortOpen && code != kErrorPortConfiguration && !lost)) return;
  std::string reason = SystemErrorText(system);
  if (lost) {
    PrintLine("Reason: " + reason + ": the port's device went away (cable or USB adapter unplugged, or the radio's "
              "side of the line closed); reconnect it and update the radio again");
    return;
  }
#ifdef _WIN32
  // Windows refuses a port that another program holds with "access denied".
  if (system == ERROR_ACCESS_DENIED || system == ERROR_SHARING_VIOLATION)
    reason += ": another program is using the port; close it and try again";
  else if (system == ERROR_FILE_NOT_FOUND || system == ERROR_PATH_NOT_FOUND)
    reason += ": there is no such port on this computer; check the port name (COM1 to COM10)";
#else
  if (system == EACCES || system == EPERM)
    reason += PermissionAdvice(device_);
  else if (system == EWOULDBLOCK || system == EBUSY)
    reason += ": another program is using the port; close it and try again";
  else if (system == ENOENT)
    reason += ": there is no such device; check the cable and the port name (--list-ports)";
#endif
  PrintLine("Reason: " + reason);
}

void TerminalHost::ExchangeData(ExchangeDirection direction, WindowValues& values) {
  if (direction == ExchangeDirection::FromControls) return;
  const bool blank = values.ActivityText.find_first_not_of(' ') == std::string::npos;
  if (values.ActivityText != shownActivity_) {
    shownActivity_ = values.ActivityText;
    if (!blank) PrintLine(values.ActivityText);
  }
  if (values.ErrorText != shownError_) {
    shownError_ = values.ErrorText;
    if (!values.ErrorText.empty()) {
      PrintLine(values.ErrorText);
      ExplainSystemError();
    }
  }
  DrawProgress(values);
}

void TerminalHost::DrawProgress(const WindowValues& values) {
  if (!Visible(kIdOverallProgress)) return;
  std::string line = "overall " + Bar(At(kIdOverallProgress).progress, 20) + " " +
                     std::to_string(At(kIdOverallProgress).progress) + "%";
  if (Visible(kIdStepProgress))
    line += "  image " + Bar(At(kIdStepProgress).progress, 10) + " " + std::to_string(At(kIdStepProgress).progress) + "%";
  if (Visible(kIdBytesValue) && !values.BytesRemainingText.empty())
    line += "  bytes remaining " + values.BytesRemainingText;
  if (Visible(kIdTimeValue) && !values.TimeRemainingText.empty())
    line += "  time remaining " + values.TimeRemainingText;
  if (line == lastProgress_) return;
  if (interactive_) {
    std::fprintf(out_, "\r\033[K%s", line.c_str());
    std::fflush(out_);
    liveLine_ = true;
    lastProgress_ = line;
    return;
  }
  const uint64_t now = clock_.ElapsedMs();
  if (!lastProgress_.empty() && now - lastProgressMs_ < 1000) return;
  lastProgressMs_ = now;
  lastProgress_ = line;
  PrintLine(line);
}

}  // namespace p25
