#include "fw/gui/Graphics.h"

#include "fw/gui/Fonts.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <utility>

namespace fw {

namespace {

using Wide = std::int64_t;
// Products of two coordinate differences need more than 64 bits.
using Wider = __int128;

QRgb opaque(const Color& c) {
  return qRgb(std::clamp(c.r, 0, 255), std::clamp(c.g, 0, 255), std::clamp(c.b, 0, 255));
}

// Rounds n / d to the nearest integer, halves upward; d > 0.
Wide roundedQuotient(Wider n, Wider d) {
  const Wider twice = 2 * n + d;
  const Wider den = 2 * d;
  Wider q = twice / den;
  if (twice % den != 0 && twice < 0)
    --q; // floor, not truncation
  return static_cast<Wide>(q);
}

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont drawingFont(const std::string& family, int pixels) {
  QFont font = fontOf(family, pixels);
  // Unsmoothed glyphs keep every inked pixel in the exact fore colour.
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

} // namespace

Graphics::Graphics(QImage& image) : image_(image) {}

int Graphics::Width() const {
  return image_.width();
}

int Graphics::Height() const {
  return image_.height();
}

int Graphics::TextHeight() const {
  return QFontMetrics(drawingFont(TextFont, TextSize)).height();
}

int Graphics::TextAscent() const {
  return QFontMetrics(drawingFont(TextFont, TextSize)).ascent();
}

int Graphics::StringWidth(std::string_view text) const {
  return QFontMetrics(drawingFont(TextFont, TextSize)).horizontalAdvance(toQString(text));
}

void Graphics::FillRect(int x, int y, int w, int h) {
  fillClipped(x, y, w, h);
}

void Graphics::DrawRect(int x, int y, int w, int h) {
  if (w <= 0 || h <= 0)
    return;
  const Wide right = Wide{x} + w - 1;
  const Wide bottom = Wide{y} + h - 1;
  fillClipped(x, y, w, 1);
  fillClipped(x, bottom, w, 1);
  fillClipped(x, y, 1, h);
  fillClipped(right, y, 1, h);
}

void Graphics::DrawLine(int x1, int y1, int x2, int y2) {
  Wide ax = x1, ay = y1, bx = x2, by = y2;
  const bool xMajor = std::abs(bx - ax) >= std::abs(by - ay);
  // Walking the major axis upward makes a line and its reverse the same pixels.
  if (xMajor ? ax > bx : ay > by) {
    std::swap(ax, bx);
    std::swap(ay, by);
  }
  const Wide dx = bx - ax, dy = by - ay;
  if (xMajor) {
    const Wide from = std::max<Wide>(ax, 0), to = std::min<Wide>(bx, Width() - 1);
    for (Wide x = from; x <= to; ++x)
      plot(x, dx == 0 ? ay : ay + roundedQuotient(Wider{x - ax} * dy, dx));
  } else {
    const Wide from = std::max<Wide>(ay, 0), to = std::min<Wide>(by, Height() - 1);
    for (Wide y = from; y <= to; ++y)
      plot(ax + roundedQuotient(Wider{y - ay} * dx, dy), y);
  }
}

void Graphics::DrawString(std::string_view text, int x, int y) {
  if (text.empty())
    return;
  const QString qtext = toQString(text);
  const QFont font = drawingFont(TextFont, TextSize);
  const QFontMetrics metrics(font);
  // Text wholly outside the image is skipped, so far-off coordinates never
  // reach the rasteriser.
  const Wide overhang = metrics.maxWidth();
  const Wide left = Wide{x} - overhang;
  const Wide right = Wide{x} + metrics.horizontalAdvance(qtext) + overhang;
  if (right < 0 || left >= Width() || Wide{y} + metrics.descent() < 0 ||
      Wide{y} - metrics.ascent() >= Height())
    return;
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(font);
  painter.setPen(QColor(opaque(ForeColor)));
  painter.drawText(QPoint(x, y), qtext);
}

void Graphics::fillClipped(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  if (w <= 0 || h <= 0)
    return;
  const Wide left = std::max<Wide>(x, 0), top = std::max<Wide>(y, 0);
  const Wide right = std::min<Wide>(x + w, Width()), bottom = std::min<Wide>(y + h, Height());
  if (left >= right || top >= bottom)
    return;
  const QRgb colour = opaque(ForeColor);
  for (Wide row = top; row < bottom; ++row) {
    if (image_.depth() == 32) {
      auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(row)));
      std::fill(line + left, line + right, colour);
    } else {
      for (Wide col = left; col < right; ++col)
        image_.setPixel(static_cast<int>(col), static_cast<int>(row), colour);
    }
  }
}

void Graphics::plot(std::int64_t x, std::int64_t y) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height())
    return;
  image_.setPixel(static_cast<int>(x), static_cast<int>(y), opaque(ForeColor));
}

} // namespace fw
