#include "WindowBuilder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <vector>

#include "Artwork.h"

namespace p25 {

namespace {

using ui::ControlKind;

QLabel* MakeLabel(const QString& text, QWidget* parent, Qt::Alignment alignment) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment);
  return label;
}

QLabel* MakeText(const ui::ControlTemplate& t, QWidget* parent, Qt::Alignment textAlignment) {
  const bool centred = t.kind == ControlKind::CentredText;
  QLabel* label = MakeLabel(QString::fromLatin1(t.text), parent,
                            centred ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | textAlignment);
  // The templates' static texts wrap; only one with room for two lines can show it.
  label->setWordWrap(centred || t.place.height >= 16);
  if (t.style & ui::kSunken) {
    // The activity and error lines: sunken, with a little room inside the edge.
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    label->setMargin(2);
  }
  return label;
}

QWidget* MakeControl(const ui::ControlTemplate& t, QWidget* parent, const DialogUnits& units,
                     Qt::Alignment textAlignment, QRect& place) {
  const QString text = QString::fromLatin1(t.text);
  switch (t.kind) {
    case ControlKind::DefaultButton:
    case ControlKind::PushButton: {
      auto* button = new QPushButton(text, parent);
      button->setDefault(t.kind == ControlKind::DefaultButton);
      return button;
    }
    case ControlKind::DropList: {
      auto* list = new QComboBox(parent);
      list->setEditable(false);
      // The template's height is that of the opened list; closed, the list is one row high.
      place.setHeight(list->sizeHint().height());
      return list;
    }
    case ControlKind::Text:
    case ControlKind::CentredText:
      return MakeText(t, parent, textAlignment);
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::Icon: {
      QLabel* icon = MakeLabel(QString(), parent, Qt::AlignLeft | Qt::AlignTop);
      icon->setPixmap(ProgramIconPixmap(32));
      return icon;
    }
    case ControlKind::Picture: {
      QLabel* picture = MakeLabel(QString(), parent, Qt::AlignCenter);
      picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      picture->setLineWidth(1);
      picture->setPixmap(LogoPixmap());
      // A picture control takes the size of its picture; it stays centred on its place.
      const QSize framed(kLogoWidth + 2 * picture->frameWidth(), kLogoHeight + 2 * picture->frameWidth());
      const QPoint centre = place.center();
      place = QRect(QPoint(0, 0), framed);
      place.moveCenter(centre);
      return picture;
    }
    case ControlKind::GroupBox: {
      auto* group = new QGroupBox(text, parent);
      // The caption sits on the frame's top line, as the layout's rows expect.
      group->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                          " margin-top: %1px; }"
                                          "QGroupBox::title { subcontrol-origin: margin; left: %2px;"
                                          " padding: 0 2px; }")
                               .arg(group->fontMetrics().height() / 2)
                               .arg(units.X(4)));
      return group;
    }
    case ControlKind::PathField: {
      auto* field = new QLineEdit(parent);
      field->setReadOnly(true);
      field->setFocusPolicy(Qt::NoFocus);
      return field;
    }
  }
  return nullptr;
}

}  // namespace

std::map<int, QWidget*> BuildControls(const ui::WindowTemplate& window, QWidget* parent, const DialogUnits& units,
                                      Qt::Alignment textAlignment) {
  std::map<int, QWidget*> controls;
  std::vector<QWidget*> groups;
  for (const ui::ControlTemplate& t : window.controls) {
    QRect place = units.Rect(t.place.x, t.place.y, t.place.width, t.place.height);
    QWidget* widget = MakeControl(t, parent, units, textAlignment, place);
    widget->setGeometry(place);
    if (!t.visible) widget->hide();
    if (t.kind == ControlKind::GroupBox) groups.push_back(widget);
    if (t.kind == ControlKind::Icon) widget->setObjectName(QStringLiteral("icon"));
    if (t.id != ui::kNoId) {
      widget->setObjectName(QString::number(t.id));
      controls[t.id] = widget;
    }
  }
  // The frames lie beneath the rows they hold.
  for (QWidget* group : groups) group->lower();
  return controls;
}

}  // namespace p25
