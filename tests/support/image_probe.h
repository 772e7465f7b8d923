// Pixel counts of a grabbed window, for the widget and screenshot tests: how
// much of a rectangle passes a test, or is close to a colour.
#pragma once

#include <cstdlib>
#include <functional>

#include <QColor>
#include <QImage>
#include <QRect>

namespace tvr_test {

inline int CountPixels(const QImage& image, QRect rect, const std::function<bool(QColor)>& test) {
  int count = 0;
  rect = rect.intersected(image.rect());
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) count += test(image.pixelColor(x, y)) ? 1 : 0;
  return count;
}

inline int CountPixels(const QImage& image, QRect rect, QColor colour, int tolerance) {
  return CountPixels(image, rect, [&](QColor c) {
    return std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
           std::abs(c.blue() - colour.blue()) <= tolerance;
  });
}

}  // namespace tvr_test
