#pragma once
#include <memory>

#include "UpdateDialog.h"

namespace p25 {

// The application: creates the one window at start and ends the message loop when it goes.
class UpdateApplication {
public:
  UpdateApplication();
  ~UpdateApplication();

  // Creates the window on this machine's serial devices and the real clock, initialises it (its
  // notices come before it shows) and shows it. True: run the message loop.
  bool StartApplication();
  UpdateDialog* MainWindow() const { return dialog_.get(); }

private:
  std::unique_ptr<UpdateDialog> dialog_;
};

}  // namespace p25
