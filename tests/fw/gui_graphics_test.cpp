#include "fw/gui/Graphics.h"

#include <QImage>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr int W = 40, H = 30;
constexpr QRgb background = qRgb(1, 2, 3);

using Pixels = std::set<std::pair<int, int>>;

QImage blank(int w = W, int h = H) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(background);
  return image;
}

Pixels inkedPixels(const QImage& image) {
  Pixels pixels;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != background)
        pixels.insert({x, y});
  return pixels;
}

// The pixels of the w x h rectangle at x, y that lie in the image.
Pixels area(int x, int y, int w, int h) {
  Pixels pixels;
  for (int j = std::max(y, 0); j < std::min(y + h, H); ++j)
    for (int i = std::max(x, 0); i < std::min(x + w, W); ++i)
      pixels.insert({i, j});
  return pixels;
}

Pixels outline(int x, int y, int w, int h) {
  Pixels pixels = area(x, y, w, h);
  for (auto inside : area(x + 1, y + 1, w - 2, h - 2))
    pixels.erase(inside);
  return pixels;
}

TEST(Graphics, ShapesInkExactlyTheirPixelsInTheForeColourClippedToTheImage) {
  Pixels diagonal;
  for (int i = 0; i < H; ++i)
    diagonal.insert({i, i});
  const std::vector<std::pair<std::function<void(fw::Graphics&)>, Pixels>> cases = {
      {[](fw::Graphics& g) { g.FillRect(2, 3, 4, 5); }, area(2, 3, 4, 5)},
      {[](fw::Graphics& g) { g.FillRect(5, 5, 0, 5); }, {}},
      {[](fw::Graphics& g) { g.FillRect(5, 5, -3, 4); }, {}},
      {[](fw::Graphics& g) { g.DrawRect(5, 5, 4, -3); }, {}},
      // The w x h outline: the image's last row and column stay untouched.
      {[](fw::Graphics& g) { g.DrawRect(0, 0, W - 1, H - 1); }, outline(0, 0, W - 1, H - 1)},
      {[](fw::Graphics& g) { g.DrawRect(-5, -5, 10, 10); }, outline(-5, -5, 10, 10)},
      {[](fw::Graphics& g) { g.FillRect(-1000000000, -1000000000, 2000000000, 2000000000); },
       area(0, 0, W, H)},
      {[](fw::Graphics& g) { g.FillRect(INT_MAX - 1, 0, INT_MAX, 5); }, {}},
      {[](fw::Graphics& g) { g.DrawRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX); }, {}},
      {[](fw::Graphics& g) { g.DrawString("far away", INT_MAX, INT_MIN); }, {}},
      {[](fw::Graphics& g) { g.DrawLine(-2000000000, 20, 2000000000, 20); }, area(0, 20, W, 1)},
      {[](fw::Graphics& g) { g.DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX); }, diagonal},
  };
  for (std::size_t row = 0; row < cases.size(); ++row) {
    QImage image = blank();
    fw::Graphics g(image);
    g.ForeColor = fw::RGB(300, -5, 7); // out of range: clamped per channel
    cases[row].first(g);
    const Pixels inked = inkedPixels(image);
    EXPECT_EQ(inked, cases[row].second) << "row " << row;
    for (auto [x, y] : inked)
      ASSERT_EQ(image.pixel(x, y), qRgb(255, 0, 7)) << "row " << row;
  }
}

TEST(Graphics, LineCoversBothEndPointsOnePixelPerStepTheSameBothWays) {
  const int lines[][4] = {
      {3, 4, 3, 4},  {0, 5, W - 1, 5}, {6, 0, 6, H - 1}, {20, 0, 0, 20},
      {1, 2, 37, 9}, {30, 1, 25, 28},  {2, 10, 8, 13}, // a tie at every other step
  };
  for (const auto& [x1, y1, x2, y2] : lines) {
    SCOPED_TRACE(testing::Message() << x1 << "," << y1 << " to " << x2 << "," << y2);
    QImage forward = blank(), backward = blank();
    fw::Graphics(forward).DrawLine(x1, y1, x2, y2);
    fw::Graphics(backward).DrawLine(x2, y2, x1, y1);
    const Pixels pixels = inkedPixels(forward);
    const int steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    EXPECT_TRUE(pixels.count({x1, y1}) && pixels.count({x2, y2}) && pixels.size() == steps + 1u);
    EXPECT_EQ(pixels, inkedPixels(backward));
  }
}

TEST(Graphics, DrawStringInksAtAndAboveTheBaselineInTheForeColourOnly) {
  QImage image = blank(120, 40);
  fw::Graphics g(image);
  g.ForeColor = fw::RGB(200, 10, 20);
  g.DrawString("ABC", 10, 25);
  QRect inked;
  for (auto [x, y] : inkedPixels(image)) {
    inked |= QRect(x, y, 1, 1);
    EXPECT_EQ(image.pixel(x, y), qRgb(200, 10, 20)) << "smoothed at " << x << "," << y;
  }
  // Within the string's width, from its ascent down to the baseline, and not a mere dash.
  const int ascent = g.TextAscent();
  EXPECT_TRUE(QRect(10, 25 - ascent, g.StringWidth("ABC"), ascent + 1).contains(inked));
  EXPECT_LE(inked.top(), 25 - 6);
}

} // namespace
