#pragma once
// Pixel probes for the chart tests: text is located by drawing it with the same
// Graphics into a scratch image and comparing its ink, so no test depends on the
// font's glyph shapes.

#include "engine/TimeAndTide.h"
#include "fw/gui/Graphics.h"

#include <QImage>
#include <functional>
#include <memory>
#include <string>

namespace chartpixels {

inline constexpr fw::Color white{255, 255, 255}, black{0, 0, 0}, red{255, 0, 0}, green{0, 128, 0},
    grey{128, 128, 128}, blue{0, 0, 255};

inline fw::Color at(const QImage& img, int x, int y) {
  const QRgb p = img.pixel(x, y);
  return {qRed(p), qGreen(p), qBlue(p)};
}

inline QImage blankImage(int w, int h, QRgb fill = qRgb(1, 2, 3)) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(fill);
  return img;
}

// True when every pixel that `text` inks at (x, baseline) is `color` in img.
inline bool textAt(const QImage& img, const std::string& text, int x, int baseline,
                   fw::Color color) {
  QImage ref = blankImage(img.width(), img.height(), qRgb(255, 255, 255));
  fw::Graphics g(ref);
  g.ForeColor = color;
  g.DrawString(text, x, baseline);
  int ink = 0;
  for (int y = 0; y < ref.height(); ++y)
    for (int xx = 0; xx < ref.width(); ++xx)
      if (at(ref, xx, y) == color) {
        ++ink;
        if (!(at(img, xx, y) == color))
          return false;
      }
  return ink > 0;
}

inline int count(const QImage& img, const QRect& area, fw::Color color) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      n += at(img, x, y) == color ? 1 : 0;
  return n;
}

inline std::shared_ptr<TimeAndTide> series(double start, int n,
                                           const std::function<float(int)>& height) {
  auto tt = std::make_shared<TimeAndTide>();
  for (int i = 0; i < n; ++i)
    tt->Append(start + 900.0 * i, height(i));
  return tt;
}

} // namespace chartpixels
