#include "fw/gui/Fonts.h"

#include <QGuiApplication>

namespace fw {

namespace {
constexpr int defaultPixels = 12;
constexpr const char* systemFamily = "System";
} // namespace

QFont fontOf(const std::string& family, int pixels) {
  QFont font = QGuiApplication::font();
  if (!family.empty() && family != systemFamily)
    font.setFamily(QString::fromStdString(family));
  font.setPixelSize(pixels > 0 ? pixels : defaultPixels);
  return font;
}

} // namespace fw
