#include "AuxDialogs.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "Artwork.h"
#include "DialogUnits.h"

namespace p25 {

namespace {

constexpr int kIdOk = 1;

QLabel* AddIcon(AuxWindow* window, int x, int y, int width, int height) {
  auto* icon = new QLabel(window);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(ProgramIconPixmap(32));
  icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  icon->setGeometry(window->Place(x, y, width, height));
  return icon;
}

QLabel* AddText(AuxWindow* window, int id, const QString& text, int x, int y, int width, int height) {
  auto* label = new QLabel(text, window);
  if (id != 0) label->setObjectName(QString::number(id));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(window->Place(x, y, width, height));
  return label;
}

QPushButton* AddOk(AuxWindow* window, int x, int y, int width, int height) {
  auto* ok = new QPushButton(QStringLiteral("OK"), window);
  ok->setObjectName(QString::number(kIdOk));
  ok->setDefault(true);
  ok->setGeometry(window->Place(x, y, width, height));
  QObject::connect(ok, &QPushButton::clicked, window, &QWidget::close);
  return ok;
}

}  // namespace

AuxWindow::AuxWindow(QWidget* owner, const QString& title, int widthUnits, int heightUnits, bool escapeCloses)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      escapeCloses_(escapeCloses) {
  setFont(WindowFont());
  const DialogUnits units = DialogUnits::ForFont(font());
  unitsX_ = units.baseX;
  unitsY_ = units.baseY;
  setWindowTitle(title);
  setFixedSize(units.X(widthUnits), units.Y(heightUnits));
}

QRect AuxWindow::Place(int x, int y, int width, int height) const {
  DialogUnits units;
  units.baseX = unitsX_;
  units.baseY = unitsY_;
  return units.Rect(x, y, width, height);
}

void AuxWindow::reject() {
  if (escapeCloses_) close();
}

void AuxWindow::closeEvent(QCloseEvent* event) {
  // Closing destroys the window; the dialog object that opened it stays.
  event->accept();
}

void AboutDialog::Run() {
  AuxWindow window(owner_, QStringLiteral("About Update"), 217, 55, true);
  window.setObjectName(QStringLiteral("AboutDialog"));
  window.setModal(true);
  AddIcon(&window, 11, 17, 20, 20);
  AddText(&window, 0, QString::fromLatin1(kVersionText), 39, 17, 119, 8);
  AddOk(&window, 178, 7, 32, 14)->setFocus();
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

QString ControlsHelpDialog::HelpText() {
  return QStringLiteral("For help with this update, call Ovrane Technical Support at 1-800-555-0147.") +
         QLatin1Char('\n') + QLatin1Char('\n') +
         QStringLiteral(
             "Update will check the hardware version of the attached radio (7305812-501 or 7305812-503 or "
             "later) and automatically select the correct software version.");
}

AuxWindow* ControlsHelpDialog::Create(QWidget* owner) {
  auto* window = new AuxWindow(owner, QStringLiteral("Update Control Help"), 267, 173, true);
  window->setObjectName(QStringLiteral("ControlsHelpDialog"));
  QPushButton* ok = AddOk(window, 112, 152, 50, 14);
  QLabel* text = AddText(window, 1070, HelpText(), 40, 20, 184, 118);
  text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  text->setWordWrap(true);
  AddIcon(window, 229, 32, 21, 20);
  ok->setFocus();
  return window;
}

AuxWindow* PleaseWaitDialog::Create(QWidget* owner) {
  auto* window = new AuxWindow(owner, QStringLiteral("Please Wait"), 279, 156, false);
  window->setObjectName(QStringLiteral("PleaseWaitDialog"));
  AddText(window, 1028, QStringLiteral("Please Wait."), 71, 32, 108, 11);
  AddText(window, 1029, QStringLiteral("Do not disconnect the radio while the orange LED is lit."), 72, 45,
          97, 58)
      ->setWordWrap(true);
  return window;
}

}  // namespace p25
