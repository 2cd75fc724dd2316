#include "AuxDialogs.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "DialogUnits.h"
#include "WindowBuilder.h"

namespace p25 {

AuxWindow::AuxWindow(QWidget* owner, const ui::WindowTemplate& description, bool escapeCloses)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      escapeCloses_(escapeCloses) {
  setFont(WindowFont());
  const DialogUnits units = DialogUnits::ForFont(font());
  setWindowTitle(QString::fromLatin1(description.title));
  setFixedSize(units.X(description.width), units.Y(description.height));
  controls_ = BuildControls(description, this, units, Qt::AlignTop);
  if (auto* ok = qobject_cast<QPushButton*>(Control(ui::kIdOk))) {
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    ok->setFocus();
  }
}

QWidget* AuxWindow::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void AuxWindow::reject() {
  if (escapeCloses_) close();
}

void AuxWindow::closeEvent(QCloseEvent* event) {
  // Closing destroys the window; the dialog object that opened it stays.
  event->accept();
}

void AboutDialog::Run() {
  AuxWindow window(owner_, ui::kAboutWindow, true);
  window.setObjectName(QStringLiteral("AboutDialog"));
  window.setModal(true);
  // The modal run ends when the window hides (OK, Escape or its close box).
  window_ = &window;
  window.exec();
  window_ = nullptr;
}

ModelessWindow::~ModelessWindow() {
  if (!window_.isNull()) delete window_.data();
}

void ModelessWindow::OpenWindow() {
  if (IsOpen()) {
    window_->raise();
    window_->activateWindow();
    return;
  }
  if (!window_.isNull()) delete window_.data();
  window_ = Create(owner_);
  if (window_.isNull()) return;
  window_->setAttribute(Qt::WA_DeleteOnClose);
  window_->show();
}

void ModelessWindow::Close() {
  if (IsOpen()) window_->close();
}

AuxWindow* ControlsHelpDialog::Create(QWidget* owner) {
  auto* window = new AuxWindow(owner, ui::kHelpWindow, true);
  window->setObjectName(QStringLiteral("ControlsHelpDialog"));
  static_cast<QLabel*>(window->Control(P25_IDC_HELP_TEXT))->setText(QString::fromStdString(ui::HelpText()));
  return window;
}

AuxWindow* PleaseWaitDialog::Create(QWidget* owner) {
  auto* window = new AuxWindow(owner, ui::kPleaseWaitWindow, false);
  window->setObjectName(QStringLiteral("PleaseWaitDialog"));
  return window;
}

}  // namespace p25
