#pragma once
// Pixel-exact, unantialiased drawing into an image (a canvas's backing image).
//  FillRect(x, y, w, h) fills w x h pixels; DrawRect outlines the w x h
//  rectangle (x .. x+w-1, y .. y+h-1); DrawLine includes both end points;
//  DrawString's y is the baseline. Drawing outside the image is clipped.

#include <cstdint>
#include <string>
#include <string_view>

class QImage;

namespace fw {

struct Color {
  int r = 0, g = 0, b = 0;
  bool operator==(const Color&) const = default;
};
inline constexpr Color RGB(int r, int g, int b) {
  return Color{r, g, b};
}

class Graphics {
public:
  explicit Graphics(QImage& image);

  Color ForeColor{0, 0, 0};
  int TextSize = 12; // pixels
  std::string TextFont = "System";

  int Width() const;
  int Height() const;
  int TextHeight() const;
  int TextAscent() const;
  int StringWidth(std::string_view text) const;

  void FillRect(int x, int y, int w, int h);
  void DrawRect(int x, int y, int w, int h);
  void DrawLine(int x1, int y1, int x2, int y2);
  void DrawString(std::string_view text, int x, int y);

private:
  void fillClipped(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);
  void plot(std::int64_t x, std::int64_t y);

  QImage& image_;
};

} // namespace fw
