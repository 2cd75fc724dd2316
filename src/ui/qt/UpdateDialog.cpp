#include "UpdateDialog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "Artwork.h"
#include "WindowBuilder.h"
#include "ui/common/WindowDescription.h"

namespace p25 {

void QtWaitPainter::PaintPending() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

UpdateDialog::UpdateDialog(std::unique_ptr<SerialDevice> device, Clock& clock, PortTable ports,
                           const ResourceSource& resources)
    : QDialog(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      clock_(clock, painter_),
      session_(std::make_unique<PaintingSerialDevice>(std::move(device), painter_), clock_, *this, std::move(ports),
               resources),
      about_(this),
      help_(this),
      pleaseWait_(this) {
  setObjectName(QStringLiteral("UpdateDialog"));
  setFont(WindowFont());
  units_ = DialogUnits::ForFont(font());
  setWindowTitle(QString::fromLatin1(ui::kMainWindow.title));
  setWindowIcon(ProgramIcon());

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(units_.X(ui::kMainWindow.width), units_.Y(ui::kMainWindow.height));
  BuildMenu();
  controls_ = BuildControls(ui::kMainWindow, client, units_, Qt::AlignVCenter);
  connect(static_cast<QPushButton*>(Control(kIdUpdateButton)), &QPushButton::clicked, this,
          [this] { OnUpdateClicked(); });
  connect(static_cast<QPushButton*>(Control(kIdExitButton)), &QPushButton::clicked, this,
          [this] { OnExitClicked(); });
  setTabOrder(Control(kIdUpdateButton), Control(kIdExitButton));
  setTabOrder(Control(kIdExitButton), Control(kIdPortList));
  setTabOrder(Control(kIdPortList), Control(kIdBaudList));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(client);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

UpdateDialog::~UpdateDialog() {
  for (auto& [id, timer] : timers_) timer->stop();
}

void UpdateDialog::BuildMenu() {
  menuBar_ = new QMenuBar(this);
  menuBar_->setObjectName(QStringLiteral("menuBar"));
  QMenu* help = menuBar_->addMenu(QString::fromLatin1(ui::kHelpMenu));
  help->setObjectName(QStringLiteral("helpMenu"));
  for (const ui::MenuCommand& item : ui::kHelpMenuCommands) {
    QAction* action = help->addAction(QString::fromLatin1(item.text));
    const bool about = item.command == P25_ID_HELP_ABOUT;
    (about ? helpAbout_ : helpControls_) = action;
    connect(action, &QAction::triggered, this, [this, about] { about ? OnHelpAbout() : OnHelpControls(); });
  }
}

QWidget* UpdateDialog::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

QTimer* UpdateDialog::Timer(int id) const {
  auto it = timers_.find(id);
  return it == timers_.end() ? nullptr : it->second;
}

bool UpdateDialog::InitDialog() {
  setWindowIcon(ProgramIcon());
  session_.Start();
  Control(kIdUpdateButton)->setFocus();
  return true;
}

void UpdateDialog::FillLists(const PortTable& ports, const uint32_t* rates, int rateCount) {
  auto* baudList = static_cast<QComboBox*>(Control(kIdBaudList));
  for (int i = 0; i < rateCount; ++i) baudList->insertItem(i, QString::number(rates[i]));
  auto* portList = static_cast<QComboBox*>(Control(kIdPortList));
  int widest = 0;
  for (int i = 0; i < ports.Size(); ++i) {
    const QString shown = QString::fromStdString(ports.displayNames[static_cast<size_t>(i)]);
    portList->insertItem(i, shown);
    portList->setItemData(i, QString::fromStdString(ports.deviceNames[static_cast<size_t>(i)]),
                          Qt::ToolTipRole);
    widest = std::max(widest, portList->fontMetrics().horizontalAdvance(shown));
  }
  // Device names can be longer than the closed list is wide; the opened list shows them whole.
  portList->view()->setMinimumWidth(widest + units_.X(12));

  setWindowTitle(QString::fromLatin1(ui::kMainWindowTitle));
}

void UpdateDialog::RunEngine(const std::function<void()>& call) {
  painter_.SetActive(true);
  call();
  while (watchdogPending_ && !exited_) {
    watchdogPending_ = false;
    session_.OnTimer(kRebootWatchdogTimer);
  }
  painter_.SetActive(false);
  // Input held back during the waits is otherwise delivered only with the next event from the window
  // system on some platforms; a press made during a tick is handled as soon as the tick is over.
  if (painter_.TakeHeldInput()) QTimer::singleShot(0, this, [] { QCoreApplication::processEvents(); });
}

void UpdateDialog::OnUpdateClicked() {
  // Presses wait in the queue while the engine works; this only guards against a direct call.
  if (painter_.Active() || exited_) return;
  RunEngine([this] { session_.PressUpdate(); });
}

void UpdateDialog::OnTimer(int id) {
  if (exited_) return;
  if (painter_.Active()) {
    // A tick never runs inside another; a watchdog expiry is kept for when the tick ends.
    if (id == kRebootWatchdogTimer) watchdogPending_ = true;
    return;
  }
  RunEngine([this, id] { session_.OnTimer(id); });
}

void UpdateDialog::OnExitClicked() {
  // Nothing is asked and nothing is sent to the radio; a tick in progress ends unseen.
  for (auto& [id, timer] : timers_) timer->stop();
  watchdogPending_ = false;
  help_.Close();
  pleaseWait_.Close();
  hide();
  exited_ = true;
  if (exitAction_) exitAction_();
}

void UpdateDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  OnExitClicked();
}

void UpdateDialog::OnHelpControls() { help_.Open(); }

void UpdateDialog::OnHelpAbout() { about_.Run(); }

void UpdateDialog::RefreshStatus() { session_.Engine().RefreshStatus(); }

void UpdateDialog::KeepSupportLog(const std::string& folder, bool trace) {
  SupportLogOptions options;
  options.folder = folder;
  options.trace = trace;
  // Shown once the tick is over; the update goes on beneath the message box.
  options.notice = [this](const std::string& text) {
    QTimer::singleShot(0, this, [this, text] { ShowMessage(text); });
  };
  session_.KeepSupportLog(std::move(options));
}

void UpdateDialog::ShowControl(int id, bool show) {
  if (QWidget* control = Control(id)) control->setVisible(show);
}

void UpdateDialog::SetControlText(int id, const std::string& text) {
  QWidget* control = Control(id);
  const QString value = QString::fromStdString(text);
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(value);
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(value);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(value);
  } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(value);
  }
}

void UpdateDialog::EnableControl(int id, bool enable) {
  if (QWidget* control = Control(id)) control->setEnabled(enable);
}

void UpdateDialog::SetProgress(int id, int percent) {
  if (auto* bar = qobject_cast<QProgressBar*>(Control(id))) bar->setValue(std::clamp(percent, 0, 100));
}

void UpdateDialog::ExchangeData(ExchangeDirection direction, WindowValues& values) {
  auto* portList = static_cast<QComboBox*>(Control(kIdPortList));
  auto* baudList = static_cast<QComboBox*>(Control(kIdBaudList));
  if (direction == ExchangeDirection::FromControls) {
    values.selectedPortIndex = portList->currentIndex();
    values.selectedBaudIndex = baudList->currentIndex();
    return;
  }
  SetControlText(kIdActivityLine, values.ActivityText);
  SetControlText(kIdErrorLine, values.ErrorText);
  SetControlText(kIdTimeValue, values.TimeRemainingText);
  SetControlText(kIdBytesValue, values.BytesRemainingText);
  const auto select = [](QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
  };
  select(portList, values.selectedPortIndex);
  select(baudList, values.selectedBaudIndex);
}

QTimer* UpdateDialog::EnsureTimer(int id) {
  if (QTimer* timer = Timer(id)) return timer;
  auto* timer = new QTimer(this);
  timer->setObjectName(QStringLiteral("timer%1").arg(id));
  connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
  timers_[id] = timer;
  return timer;
}

void UpdateDialog::StartTimer(int id, uint32_t periodMs) {
  if (exited_) return;
  // Like a window timer: starting a running one restarts its period; it repeats until stopped.
  EnsureTimer(id)->start(static_cast<int>(periodMs));
}

void UpdateDialog::StopTimer(int id) {
  if (QTimer* timer = Timer(id)) timer->stop();
  if (id == kRebootWatchdogTimer) watchdogPending_ = false;
}

bool UpdateDialog::AskYesNo(const std::string& text) {
  // After Exit the rest of a tick runs unseen: nothing more is put on screen.
  if (exited_) return false;
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(ui::kApplicationName), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void UpdateDialog::ShowMessage(const std::string& text) {
  if (exited_) return;
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(ui::kApplicationName), QString::fromStdString(text),
                  QMessageBox::Ok, this);
  box.exec();
}

void UpdateDialog::Beep() { QApplication::beep(); }

bool UpdateDialog::OpenPleaseWait() { return exited_ || pleaseWait_.Open(); }

void UpdateDialog::ClosePleaseWait() { pleaseWait_.Close(); }

bool UpdateDialog::IsPleaseWaitOpen() const { return pleaseWait_.IsOpen(); }

}  // namespace p25
