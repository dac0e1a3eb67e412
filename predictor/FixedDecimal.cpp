#include "predictor/FixedDecimal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tide {

namespace {

constexpr int mostDecimals = 9;
constexpr double powersOfTen[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
// Beyond this the product carries too few fractional bits to judge the
// rounding edge below; printf takes such values.
constexpr double largestScaled = 1e10;
// How close to a half unit of the last digit the scaled value may come before
// the rounding of the product itself could decide that digit.
constexpr double edge = 1e-5;

void appendSlow(std::string& out, double value, int decimals) {
  char text[512];
  const int length = std::snprintf(text, sizeof text, "%.*f", decimals, value);
  if (length > 0)
    out.append(text, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof text - 1));
}

} // namespace

void appendFixed(std::string& out, double value, int decimals) {
  decimals = std::clamp(decimals, 0, mostDecimals);
  const double scaled = std::fabs(value) * powersOfTen[decimals];
  if (!(scaled < largestScaled)) {
    appendSlow(out, value, decimals);
    return;
  }
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) < edge) {
    appendSlow(out, value, decimals);
    return;
  }
  std::uint64_t units = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  // Filled from the right: digits, the point among them, then the sign.
  char text[32];
  char* end = text + sizeof text;
  char* p = end;
  for (int written = 0; units != 0 || written <= decimals; ++written) {
    if (written == decimals && decimals > 0)
      *--p = '.';
    *--p = static_cast<char>('0' + units % 10);
    units /= 10;
  }
  if (std::signbit(value))
    *--p = '-';
  out.append(p, static_cast<std::size_t>(end - p));
}

} // namespace tide
