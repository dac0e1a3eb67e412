#include "fw/gui/Graphics.h"

#include <QImage>
#include <climits>
#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace {

constexpr int W = 40, H = 30;
constexpr QRgb background = qRgb(1, 2, 3);
constexpr fw::Color ink{200, 10, 20};

using Pixel = std::pair<int, int>;

QImage blank() {
  QImage image(W, H, QImage::Format_RGB32);
  image.fill(background);
  return image;
}

bool inked(const QImage& image, int x, int y) {
  return image.pixel(x, y) != background;
}

std::set<Pixel> inkedPixels(const QImage& image) {
  std::set<Pixel> pixels;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (inked(image, x, y))
        pixels.insert({x, y});
  return pixels;
}

std::set<Pixel> rectPixels(int x, int y, int w, int h) {
  std::set<Pixel> pixels;
  for (int yy = y; yy < y + h; ++yy)
    for (int xx = x; xx < x + w; ++xx)
      pixels.insert({xx, yy});
  return pixels;
}

TEST(Graphics, FillRectFillsExactlyWidthByHeightPixels) {
  QImage image = blank();
  fw::Graphics g(image);
  g.ForeColor = ink;
  g.FillRect(2, 3, 4, 5);
  EXPECT_EQ(inkedPixels(image), rectPixels(2, 3, 4, 5));
  EXPECT_EQ(image.pixel(2, 3), qRgb(200, 10, 20));
}

TEST(Graphics, EmptyAndNegativeSizesDrawNothing) {
  QImage image = blank();
  fw::Graphics g(image);
  for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -3}}) {
    g.FillRect(5, 5, w, h);
    g.DrawRect(5, 5, w, h);
  }
  EXPECT_TRUE(inkedPixels(image).empty());
}

TEST(Graphics, DrawRectOutlinesTheWidthByHeightRectangle) {
  QImage image = blank();
  fw::Graphics g(image);
  g.DrawRect(0, 0, W - 1, H - 1);
  std::set<Pixel> expected;
  for (int x = 0; x < W - 1; ++x)
    expected.insert({x, 0}), expected.insert({x, H - 2});
  for (int y = 0; y < H - 1; ++y)
    expected.insert({0, y}), expected.insert({W - 2, y});
  EXPECT_EQ(inkedPixels(image), expected);
  // The last row and column stay as they were.
  for (int x = 0; x < W; ++x)
    EXPECT_FALSE(inked(image, x, H - 1));
  for (int y = 0; y < H; ++y)
    EXPECT_FALSE(inked(image, W - 1, y));
}

struct LineCase {
  int x1, y1, x2, y2;
};

class GraphicsLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(GraphicsLine, CoversBothEndPointsWithOnePixelPerStepAndMatchesItsReverse) {
  const LineCase c = GetParam();
  QImage forward = blank(), backward = blank();
  fw::Graphics(forward).DrawLine(c.x1, c.y1, c.x2, c.y2);
  fw::Graphics(backward).DrawLine(c.x2, c.y2, c.x1, c.y1);
  const std::set<Pixel> pixels = inkedPixels(forward);
  EXPECT_TRUE(pixels.count({c.x1, c.y1}));
  EXPECT_TRUE(pixels.count({c.x2, c.y2}));
  const int steps = std::max(std::abs(c.x2 - c.x1), std::abs(c.y2 - c.y1));
  EXPECT_EQ(static_cast<int>(pixels.size()), steps + 1);
  EXPECT_EQ(pixels, inkedPixels(backward));
  // Every pixel lies within the end points' bounding box.
  for (auto [x, y] : pixels) {
    EXPECT_GE(x, std::min(c.x1, c.x2));
    EXPECT_LE(x, std::max(c.x1, c.x2));
    EXPECT_GE(y, std::min(c.y1, c.y2));
    EXPECT_LE(y, std::max(c.y1, c.y2));
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, GraphicsLine,
                         ::testing::Values(LineCase{3, 4, 3, 4},     // one point
                                           LineCase{0, 5, W - 1, 5}, // horizontal, edge to edge
                                           LineCase{6, 0, 6, H - 1}, // vertical
                                           LineCase{0, 0, 20, 20},   // diagonal
                                           LineCase{20, 0, 0, 20},   // anti-diagonal
                                           LineCase{1, 2, 37, 9},    // shallow
                                           LineCase{30, 1, 25, 28},  // steep, leaning left
                                           LineCase{2, 10, 8, 13})); // a tie at every other step

TEST(Graphics, ForeColorAppliesToEachShapeAndIsClampedToItsRange) {
  QImage image = blank();
  fw::Graphics g(image);
  g.ForeColor = fw::RGB(0, 128, 255);
  g.FillRect(0, 0, 1, 1);
  g.ForeColor = fw::RGB(255, 0, 0);
  g.DrawLine(2, 0, 2, 0);
  g.ForeColor = fw::RGB(300, -5, 7);
  g.DrawRect(4, 0, 1, 1);
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 128, 255));
  EXPECT_EQ(image.pixel(2, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(4, 0), qRgb(255, 0, 7));
}

TEST(Graphics, DrawStringInksAtAndAboveTheBaselineInTheForeColourOnly) {
  QImage image(120, 40, QImage::Format_RGB32);
  image.fill(background);
  fw::Graphics g(image);
  g.ForeColor = ink;
  g.TextSize = 12;
  constexpr int x = 10, baseline = 25;
  g.DrawString("ABC", x, baseline);
  const std::set<Pixel> pixels = inkedPixels(image);
  ASSERT_FALSE(pixels.empty());
  int top = baseline;
  for (auto [px, py] : pixels) {
    EXPECT_LE(py, baseline) << "ink below the baseline at " << px << "," << py;
    EXPECT_GE(px, x);
    EXPECT_LT(px, x + g.StringWidth("ABC"));
    EXPECT_EQ(image.pixel(px, py), qRgb(200, 10, 20)) << "smoothed pixel at " << px << "," << py;
    top = std::min(top, py);
  }
  // Capitals reach well up from the baseline, but not past the ascent.
  EXPECT_LE(top, baseline - 6);
  EXPECT_GE(top, baseline - g.TextAscent());
}

TEST(Graphics, TextMeasuresFollowTheTextSize) {
  QImage image = blank();
  fw::Graphics g(image);
  g.TextSize = 9;
  const int smallHeight = g.TextHeight(), smallWidth = g.StringWidth("Sunday");
  g.TextSize = 12;
  EXPECT_GT(g.TextHeight(), smallHeight);
  EXPECT_GT(g.StringWidth("Sunday"), smallWidth);
  EXPECT_EQ(g.StringWidth(""), 0);
  EXPECT_GT(g.StringWidth("WW"), g.StringWidth("W"));
}

TEST(Graphics, DrawingFarOutsideTheImageIsClipped) {
  QImage image = blank();
  fw::Graphics g(image);
  g.FillRect(-1000000000, -1000000000, 2000000000, 2000000000);
  EXPECT_EQ(inkedPixels(image).size(), static_cast<size_t>(W * H));

  image = blank();
  fw::Graphics clipped(image);
  clipped.FillRect(INT_MAX - 1, 0, INT_MAX, 5);
  clipped.FillRect(INT_MIN, INT_MIN, 10, 10);
  clipped.DrawRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  clipped.DrawString("far away", INT_MAX, INT_MIN);
  clipped.DrawString("far away", INT_MIN, INT_MAX);
  clipped.DrawLine(INT_MIN, -5, INT_MAX, -5);
  EXPECT_TRUE(inkedPixels(image).empty());

  // A line with both ends far away still crosses the image where it should.
  clipped.DrawLine(-2000000000, 4, 2000000000, 4);
  clipped.DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  std::set<Pixel> expected;
  for (int x = 0; x < W; ++x)
    expected.insert({x, 4});
  for (int i = 0; i < H; ++i)
    expected.insert({i, i});
  EXPECT_EQ(inkedPixels(image), expected);
}

TEST(Graphics, RectangleStraddlingTheEdgeKeepsItsVisibleSides) {
  QImage image = blank();
  fw::Graphics g(image);
  g.DrawRect(-5, -5, 10, 10); // right side x = 4, bottom y = 4
  std::set<Pixel> expected;
  for (int i = 0; i <= 4; ++i)
    expected.insert({4, i}), expected.insert({i, 4});
  EXPECT_EQ(inkedPixels(image), expected);
}

} // namespace
