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
#include "MainDialogTemplate.h"

namespace p25 {

namespace {

QLabel* MakeLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}

// The activity and error lines: sunken, wrapping, with a little room inside the edge.
QLabel* MakeStatusLine(QWidget* parent) {
  QLabel* line = MakeLabel(QString(), parent);
  line->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  line->setLineWidth(1);
  line->setWordWrap(true);
  line->setMargin(2);
  return line;
}

}  // namespace

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
  setWindowTitle(QString::fromLatin1(kTemplateTitle));
  setWindowIcon(ProgramIcon());

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(units_.X(kMainDialogWidth), units_.Y(kMainDialogHeight));
  BuildMenu();
  BuildControls(client);

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
  QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("helpMenu"));
  helpControls_ = help->addAction(QStringLiteral("&Controls"));
  helpAbout_ = help->addAction(QStringLiteral("&About"));
  connect(helpControls_, &QAction::triggered, this, [this] { OnHelpControls(); });
  connect(helpAbout_, &QAction::triggered, this, [this] { OnHelpAbout(); });
}

void UpdateDialog::BuildControls(QWidget* client) {
  std::vector<QWidget*> groups;
  for (const ControlTemplate& t : MainDialogControls()) {
    const QString text = QString::fromLatin1(t.text);
    QRect place = units_.Rect(t.x, t.y, t.width, t.height);
    QWidget* widget = nullptr;
    switch (t.kind) {
      case ControlKind::DefaultButton:
      case ControlKind::PushButton: {
        auto* button = new QPushButton(text, client);
        button->setDefault(t.kind == ControlKind::DefaultButton);
        if (t.id == kIdUpdateButton)
          connect(button, &QPushButton::clicked, this, [this] { OnUpdateClicked(); });
        if (t.id == kIdExitButton) connect(button, &QPushButton::clicked, this, [this] { OnExitClicked(); });
        widget = button;
        break;
      }
      case ControlKind::DropList: {
        auto* list = new QComboBox(client);
        list->setEditable(false);
        // The template's height is that of the opened list; closed, the list is one row high.
        place.setHeight(list->sizeHint().height());
        widget = list;
        break;
      }
      case ControlKind::Text:
        widget = MakeLabel(text, client);
        break;
      case ControlKind::ActivityLine:
      case ControlKind::ErrorLine:
        widget = MakeStatusLine(client);
        break;
      case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(client);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        widget = bar;
        break;
      }
      case ControlKind::Icon: {
        QLabel* icon = MakeLabel(QString(), client);
        icon->setPixmap(ProgramIconPixmap(32));
        icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = icon;
        break;
      }
      case ControlKind::Picture: {
        QLabel* picture = MakeLabel(QString(), client);
        picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        picture->setLineWidth(1);
        picture->setPixmap(LogoPixmap());
        picture->setAlignment(Qt::AlignCenter);
        // A picture control takes the size of its picture; it stays centred on its place.
        const QSize framed(kLogoWidth + 2 * picture->frameWidth(), kLogoHeight + 2 * picture->frameWidth());
        place = QRect(QPoint(0, 0), framed);
        place.moveCenter(units_.Rect(t.x, t.y, t.width, t.height).center());
        widget = picture;
        break;
      }
      case ControlKind::GroupBox: {
        auto* group = new QGroupBox(text, client);
        // The caption sits on the frame's top line, as the layout's rows expect.
        group->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                            " margin-top: %1px; }"
                                            "QGroupBox::title { subcontrol-origin: margin; left: %2px;"
                                            " padding: 0 2px; }")
                                 .arg(group->fontMetrics().height() / 2)
                                 .arg(units_.X(4)));
        widget = group;
        groups.push_back(widget);
        break;
      }
      case ControlKind::PathField: {
        auto* field = new QLineEdit(client);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        widget = field;
        break;
      }
    }
    widget->setGeometry(place);
    if (!t.visible) widget->hide();
    if (t.id == kIdNone) {
      widget->setObjectName(QStringLiteral("icon"));
    } else {
      widget->setObjectName(QString::number(t.id));
      controls_[t.id] = widget;
    }
  }
  // The frames lie beneath the rows they hold.
  for (QWidget* group : groups) group->lower();
  setTabOrder(Control(kIdUpdateButton), Control(kIdExitButton));
  setTabOrder(Control(kIdExitButton), Control(kIdPortList));
  setTabOrder(Control(kIdPortList), Control(kIdBaudList));
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

  setWindowTitle(QString::fromLatin1(kWindowTitle));
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
  session_.Catalogue().ExchangeTexts();
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
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kApplicationName), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void UpdateDialog::ShowMessage(const std::string& text) {
  if (exited_) return;
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kApplicationName), QString::fromStdString(text),
                  QMessageBox::Ok, this);
  box.exec();
}

void UpdateDialog::Beep() { QApplication::beep(); }

bool UpdateDialog::OpenPleaseWait() { return exited_ || pleaseWait_.Open(); }

void UpdateDialog::ClosePleaseWait() { pleaseWait_.Close(); }

bool UpdateDialog::IsPleaseWaitOpen() const { return pleaseWait_.IsOpen(); }

}  // namespace p25
