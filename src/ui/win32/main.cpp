// p25update: the updater's window on Windows.
#include <windows.h>
#include <commctrl.h>

#include "UpdateDialog.h"
#include "engine/SupportLog.h"
#include "platform/Clock.h"
#include "platform/LogFolder.h"
#include "platform/SerialDevice.h"

namespace {

// The application object: made before the program's entry logic runs, it starts the main window
// and then runs the message loop until the window's destruction posts the quit message.
class UpdateApplication {
public:
  bool StartApplication(HINSTANCE instance) {
    // The dialog lives until the process ends; the application never deletes it.
    dialog_ = new p25::UpdateDialog(instance, p25::CreateSystemSerialDevice(), p25::SystemClock());
    dialog_->KeepSupportLog(p25::DefaultLogFolder(), p25::TraceRequestedByEnvironment());
    return dialog_->Create();
  }

  int Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      if (dialog_->PreTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
  }

private:
  p25::UpdateDialog* dialog_ = nullptr;
};

UpdateApplication application;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  if (!application.StartApplication(instance)) return 1;
  return application.Run();
}
