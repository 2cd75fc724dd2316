#include "DialogUnits.h"

#include <QApplication>
#include <QFontMetrics>

namespace p25 {

DialogUnits DialogUnits::ForFont(const QFont& font) {
  // The average width is taken over both alphabets and rounded, as the dialog templates expect.
  const QFontMetrics metrics(font);
  const int alphabet =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogUnits units;
  units.baseX = (alphabet / 26 + 1) / 2;
  units.baseY = metrics.height();
  if (units.baseX < 1) units.baseX = 1;
  if (units.baseY < 1) units.baseY = 1;
  return units;
}

QFont WindowFont() {
  QFont font = QApplication::font();
  font.setPointSize(8);
  return font;
}

}  // namespace p25
