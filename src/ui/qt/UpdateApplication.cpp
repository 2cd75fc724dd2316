#include "UpdateApplication.h"

#include <QCoreApplication>

#include "engine/SupportLog.h"
#include "platform/Clock.h"
#include "platform/LogFolder.h"
#include "platform/PortTable.h"
#include "platform/SerialDevice.h"
#include "ui/common/WindowDescription.h"

namespace p25 {

UpdateApplication::UpdateApplication() = default;
UpdateApplication::~UpdateApplication() = default;

bool UpdateApplication::StartApplication() {
  QCoreApplication::setApplicationName(QString::fromLatin1(ui::kApplicationName));
  dialog_ = std::make_unique<UpdateDialog>(CreateSystemSerialDevice(), SystemClock(), SystemPortTable());
  dialog_->SetExitAction([] { QCoreApplication::exit(0); });
  dialog_->KeepSupportLog(DefaultLogFolder(), TraceRequestedByEnvironment());
  dialog_->InitDialog();
  dialog_->show();
  return true;
}

}  // namespace p25
