#pragma once
#include <QFont>
#include <QRect>

namespace p25 {

// Dialog units of a window font: positions in the window layouts are given in quarters of the font's
// average character width and eighths of its height, so every window scales with its font.
struct DialogUnits {
  int baseX = 6;
  int baseY = 13;

  static DialogUnits ForFont(const QFont& font);

  int X(int units) const { return (units * baseX + 2) / 4; }
  int Y(int units) const { return (units * baseY + 4) / 8; }
  QRect Rect(int x, int y, int width, int height) const { return {X(x), Y(y), X(width), Y(height)}; }
};

// The font every window of the updater uses: the desktop's sans-serif face at 8 point.
QFont WindowFont();

}  // namespace p25
