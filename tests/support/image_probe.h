// Pixel counts of a grabbed window, for the screenshot tests: how much of a
// rectangle is close to a colour.
#pragma once

#include <cstdlib>

#include <QColor>
#include <QImage>
#include <QRect>

namespace tvr_test {

inline int CountPixels(const QImage& image, QRect rect, QColor colour, int tolerance) {
  int count = 0;
  rect = rect.intersected(image.rect());
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
          std::abs(c.blue() - colour.blue()) <= tolerance)
        ++count;
    }
  }
  return count;
}

}  // namespace tvr_test
