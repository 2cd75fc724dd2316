// Watches the running p25update window from another process, for the end-to-end test:
//   p25-window-probe wait TEXT SECONDS   until the activity line reads TEXT (1 if the error line shows, or
//                                        if the window left a query unanswered for 2 s, as a window the
//                                        desktop would call not responding does; the engine's pauses
//                                        are 3 s)
//   p25-window-probe close               closes the window as its close box does
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char kTitle[] = "Ovrane 25 Firmware Update";
constexpr int kActivityLine = 1005;
constexpr int kErrorLine = 1002;
constexpr DWORD kLongestSilenceMs = 2000;

DWORD slowestReplyMs = 0;

std::string Text(HWND control) {
  char text[512] = {};
  DWORD_PTR ignored = 0;
  const DWORD start = GetTickCount();
  SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                      &ignored);
  slowestReplyMs = std::max(slowestReplyMs, GetTickCount() - start);
  return text;
}

int Wait(const std::string& expected, int seconds) {
  std::string shown;
  bool seen = false;
  for (DWORD start = GetTickCount(); GetTickCount() - start < static_cast<DWORD>(seconds) * 1000; Sleep(200)) {
    HWND window = FindWindowA(nullptr, kTitle);
    if (window == nullptr && seen) {
      std::printf("the window closed\n");
      return 1;
    }
    if (window == nullptr) continue;
    seen = true;
    const std::string activity = Text(GetDlgItem(window, kActivityLine));
    HWND errorLine = GetDlgItem(window, kErrorLine);
    const std::string error = IsWindowVisible(errorLine) ? Text(errorLine) : std::string();
    if (activity != shown) {
      shown = activity;
      std::printf("activity: %s\n", activity.c_str());
      std::fflush(stdout);
    }
    if (!error.empty()) {
      std::printf("error line: %s\n", error.c_str());
      return 1;
    }
    if (slowestReplyMs > kLongestSilenceMs) {
      std::printf("the window took %lu ms to answer\n", static_cast<unsigned long>(slowestReplyMs));
      return 1;
    }
    if (activity == expected) {
      std::printf("slowest answer: %lu ms\n", static_cast<unsigned long>(slowestReplyMs));
      return 0;
    }
  }
  std::printf("the activity line did not read \"%s\" within %d s\n", expected.c_str(), seconds);
  return 1;
}

int Close() {
  HWND window = FindWindowA(nullptr, kTitle);
  if (window == nullptr) return 1;
  PostMessageA(window, WM_CLOSE, 0, 0);
  for (int i = 0; i < 50 && IsWindow(window); ++i) Sleep(100);
  return IsWindow(window) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "wait" && argc == 4) return Wait(argv[2], std::atoi(argv[3]));
  if (command == "close" && argc == 2) return Close();
  std::fprintf(stderr, "usage: %s wait TEXT SECONDS | close\n", argv[0]);
  return 2;
}
