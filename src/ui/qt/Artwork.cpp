#include "Artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "DialogUnits.h"

namespace p25 {

namespace {

const QColor kNavy(13, 42, 74);
const QColor kBlue(31, 95, 153);
const QColor kSky(150, 205, 245);
const QColor kOrange(245, 140, 30);

// The icon is designed on a 32-unit grid and scaled to the size asked for.
void DrawIcon(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  const QPen outline(QColor(20, 24, 28), 1.0);

  // Antenna and the channel knob.
  p.setPen(outline);
  p.setBrush(QColor(45, 52, 60));
  p.drawRoundedRect(QRectF(10.5, 0.5, 3, 9), 1.2, 1.2);
  p.drawRect(QRectF(17.5, 4.5, 3, 4));
  // The transmit lamp.
  p.setBrush(kOrange);
  p.drawEllipse(QRectF(21.5, 4.5, 3, 3));

  // Body.
  QLinearGradient body(0, 8, 0, 31);
  body.setColorAt(0, QColor(78, 90, 104));
  body.setColorAt(1, QColor(32, 38, 46));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(7.5, 7.5, 17, 24), 3, 3);

  // Display.
  p.setPen(QPen(QColor(15, 30, 15), 0.8));
  p.setBrush(QColor(160, 214, 110));
  p.drawRect(QRectF(10, 10.5, 12, 6));
  // Keypad.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 206, 214));
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      p.drawRect(QRectF(10.5 + column * 4, 19.5 + row * 3.6, 2.6, 2.2));

  // Update badge: a blue disc with a downward arrow.
  QRadialGradient disc(QPointF(23, 22), 9);
  disc.setColorAt(0, QColor(70, 150, 230));
  disc.setColorAt(1, kBlue.darker(120));
  p.setPen(QPen(Qt::white, 1.2));
  p.setBrush(disc);
  p.drawEllipse(QPointF(24.5, 24.5), 7, 7);
  QPainterPath arrow;
  arrow.moveTo(23.2, 19.8);
  arrow.lineTo(25.8, 19.8);
  arrow.lineTo(25.8, 24.2);
  arrow.lineTo(28.4, 24.2);
  arrow.lineTo(24.5, 28.8);
  arrow.lineTo(20.6, 24.2);
  arrow.lineTo(23.2, 24.2);
  arrow.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(arrow);
}

}  // namespace

QPixmap ProgramIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.scale(size / 32.0, size / 32.0);
  DrawIcon(p);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(ProgramIconPixmap(size));
  return icon;
}

QPixmap LogoPixmap() {
  QPixmap pixmap(kLogoWidth, kLogoHeight);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient sky(0, 0, kLogoWidth, kLogoHeight);
  sky.setColorAt(0, kNavy);
  sky.setColorAt(1, kBlue);
  p.fillRect(pixmap.rect(), sky);

  // Radio waves leaving a mast on the left.
  const QPointF mast(28, 36);
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) {
    const double r = 7 + i * 7;
    QColor wave = kSky;
    wave.setAlpha(230 - i * 60);
    p.setPen(QPen(wave, 2.2, Qt::SolidLine, Qt::RoundCap));
    const QRectF box(mast.x() - r, mast.y() - r, 2 * r, 2 * r);
    p.drawArc(box, 30 * 16, 120 * 16);
  }
  p.setPen(QPen(kSky, 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(mast, QPointF(mast.x() - 6, 54));
  p.drawLine(mast, QPointF(mast.x() + 6, 54));
  p.setPen(Qt::NoPen);
  p.setBrush(kOrange);
  p.drawEllipse(mast, 3, 3);

  // Name, with the family number in the lamp's colour, as large as fits beside the mast.
  const QString word = QStringLiteral("OVRANE");
  const QString number = QStringLiteral(" 25");
  const QRectF nameBox(62, 6, 174, 32);
  QFont name = WindowFont();
  name.setBold(true);
  for (int size = 28; size > 8; --size) {
    name.setPixelSize(size);
    name.setLetterSpacing(QFont::AbsoluteSpacing, size / 18.0);
    if (QFontMetricsF(name).horizontalAdvance(word + number) <= nameBox.width()) break;
  }
  p.setFont(name);
  p.setPen(Qt::white);
  p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, word);
  p.setPen(kOrange);
  p.drawText(nameBox.adjusted(QFontMetricsF(name).horizontalAdvance(word), 0, 0, 0),
             Qt::AlignLeft | Qt::AlignVCenter, number);

  p.fillRect(QRectF(63, 40, 170, 1.5), kOrange);

  QFont line = WindowFont();
  line.setPixelSize(10);
  line.setBold(true);
  line.setLetterSpacing(QFont::AbsoluteSpacing, 2.4);
  p.setFont(line);
  p.setPen(kSky);
  p.drawText(QRectF(63, 43, 176, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("FIRMWARE UPDATE"));
  return pixmap;
}

}  // namespace p25
