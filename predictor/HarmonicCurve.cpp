#include "predictor/HarmonicCurve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tide {

namespace {

constexpr double radiansPerDegree = std::numbers::pi / 180.0;
constexpr double degreesPerTurn = 360.0;
constexpr double hoursPerSecond = 1.0 / 3600.0;
// Samples between exact restarts of the rotation; rounding grows by about one
// part in 10^16 per sample.
constexpr std::size_t reseedEvery = 96;

// Whole turns come off exactly, as subtracting a multiple of 360 that is
// within a factor of two of the angle is exact.
double radiansOf(double degrees) {
  return (degrees - std::floor(degrees / degreesPerTurn) * degreesPerTurn) * radiansPerDegree;
}

} // namespace

HarmonicCurve::HarmonicCurve(double datum, bool squared, std::vector<Term> terms)
    : datum_(datum), squared_(squared) {
  for (const Term& term : terms) {
    speedDegrees_.push_back(term.speedDegreesPerHour);
    speedRadians_.push_back(term.speedDegreesPerHour * radiansPerDegree);
    phaseDegrees_.push_back(term.phaseDegrees);
  }
  amplitudes_.reserve(terms.size());
  for (const Term& term : terms)
    amplitudes_.push_back(term.amplitude);
}

void HarmonicCurve::addYear(int year, const std::vector<double>& nodeFactors,
                            const std::vector<double>& equilibriaDegrees) {
  if (years_.empty())
    firstYear_ = year;
  Year tables;
  tables.start = startOfYear(year);
  for (std::size_t k = 0; k < amplitudes_.size(); ++k) {
    tables.amplitude.push_back(amplitudes_[k] * nodeFactors[k]);
    tables.argumentDegrees.push_back(equilibriaDegrees[k] - phaseDegrees_[k]);
  }
  years_.push_back(std::move(tables));
}

std::size_t HarmonicCurve::yearOf(double instant) const {
  // The last year that starts at or before the instant; callers stay inside
  // the loaded years, and the ends are held rather than read past.
  auto after = std::upper_bound(years_.begin(), years_.end(), instant,
                                [](double t, const Year& year) { return t < year.start; });
  if (after != years_.begin())
    --after;
  return static_cast<std::size_t>(after - years_.begin());
}

std::size_t HarmonicCurve::blendingWith(double instant) const {
  const std::size_t year = yearOf(instant);
  if (year > 0 &&
      instant - static_cast<double>(years_[year].start) < static_cast<double>(blendSeconds))
    return year;
  if (year + 1 < years_.size() &&
      static_cast<double>(years_[year + 1].start) - instant < static_cast<double>(blendSeconds))
    return year + 1;
  return 0;
}

double HarmonicCurve::levelAtSum(double sum) const {
  if (!squared_)
    return datum_ + sum;
  return datum_ + std::copysign(std::sqrt(std::fabs(sum)), sum);
}

double HarmonicCurve::sumAtLevel(double level) const {
  const double root = level - datum_;
  return squared_ ? root * std::fabs(root) : root;
}

HarmonicCurve::Rates HarmonicCurve::withinYear(const Year& year, double instant) const {
  const double hours = (instant - static_cast<double>(year.start)) * hoursPerSecond;
  Rates rates;
  for (std::size_t k = 0; k < speedDegrees_.size(); ++k) {
    const double angle = radiansOf(speedDegrees_[k] * hours + year.argumentDegrees[k]);
    const double cosine = year.amplitude[k] * std::cos(angle);
    const double sine = year.amplitude[k] * std::sin(angle);
    rates.sum += cosine;
    rates.slope -= speedRadians_[k] * sine;
    rates.curvature -= speedRadians_[k] * speedRadians_[k] * cosine;
  }
  return rates;
}

HarmonicCurve::Rates HarmonicCurve::rates(double instant) const {
  if (years_.empty())
    return Rates{};
  const std::size_t later = blendingWith(instant);
  if (later == 0)
    return withinYear(years_[yearOf(instant)], instant);
  // Node factors and equilibrium arguments jump at a new year; within the
  // blending time of one, the new year's sum takes in the old one's with a
  // weight that falls smoothly from 1 to 0.
  const Year& after = years_[later];
  const double x = (instant - static_cast<double>(after.start)) / static_cast<double>(blendSeconds);
  const double x2 = x * x;
  const double perHour = static_cast<double>(secondsPerHour) / static_cast<double>(blendSeconds);
  const double weight = 0.5 - x * (15 + x2 * (3 * x2 - 10)) / 16;
  const double weightRate = -15 * (1 - x2) * (1 - x2) / 16 * perHour;
  const double weightCurvature = 15 * x * (1 - x2) / 4 * perHour * perHour;
  const Rates old = withinYear(years_[later - 1], instant);
  const Rates young = withinYear(after, instant);
  const Rates gap{old.sum - young.sum, old.slope - young.slope, old.curvature - young.curvature};
  return Rates{young.sum + weight * gap.sum,
               young.slope + weightRate * gap.sum + weight * gap.slope,
               young.curvature + weightCurvature * gap.sum + 2 * weightRate * gap.slope +
                   weight * gap.curvature};
}

double HarmonicCurve::level(double instant) const {
  return levelAtSum(rates(instant).sum);
}

void HarmonicCurve::levels(Seconds first, Seconds step, std::size_t n, double* out) const {
  run(static_cast<double>(first), static_cast<double>(step), n, out, Output::level);
}

void HarmonicCurve::levelsAlong(double first, double step, std::size_t n, double* out) const {
  run(first, step, n, out, Output::level);
}

void HarmonicCurve::slopes(Seconds first, Seconds step, std::size_t n, double* out) const {
  run(static_cast<double>(first), static_cast<double>(step), n, out, Output::slope);
}

std::size_t HarmonicCurve::samplesBefore(double limit, double first, double step, std::size_t n) {
  // Counted the way the samples' times are computed, so that a sample falls
  // on the same side of a new year here as in the sum.
  if (step <= 0)
    return first < limit ? n : 0;
  double estimate = std::ceil((limit - first) / step);
  estimate = std::clamp(estimate, 0.0, static_cast<double>(n));
  auto count = static_cast<std::size_t>(estimate);
  while (count > 0 && first + static_cast<double>(count - 1) * step >= limit)
    --count;
  while (count < n && first + static_cast<double>(count) * step < limit)
    ++count;
  return count;
}

void HarmonicCurve::run(double first, double step, std::size_t n, double* out,
                        Output output) const {
  if (years_.empty()) {
    std::fill(out, out + n, output == Output::level ? datum_ : 0.0);
    return;
  }
  std::size_t done = 0;
  while (done < n) {
    const double t = first + static_cast<double>(done) * step;
    // Runs backwards in time (a subordinate station's overtaking events) are
    // short and rare: each sample is summed on its own.
    if (step < 0 || blendingWith(t) != 0) {
      const Rates at = rates(t);
      out[done++] = output == Output::level ? levelAtSum(at.sum) : at.slope;
      continue;
    }
    const std::size_t year = yearOf(t);
    std::size_t count = n - done;
    if (year + 1 < years_.size()) {
      const double blendStart = static_cast<double>(years_[year + 1].start - blendSeconds);
      count = std::max<std::size_t>(samplesBefore(blendStart, t, step, count), 1);
    }
    runWithinYear(years_[year], t, step, count, out + done, output);
    done += count;
  }
}

void HarmonicCurve::runWithinYear(const Year& year, double first, double step, std::size_t n,
                                  double* out, Output output) const {
  const std::size_t terms = speedDegrees_.size();
  std::vector<double> buffer(terms * 4);
  double* cosine = buffer.data();
  double* sine = cosine + terms;
  double* turnCos = sine + terms;
  double* turnSin = turnCos + terms;
  const double stepHours = step * hoursPerSecond;
  for (std::size_t k = 0; k < terms; ++k) {
    const double turn = radiansOf(speedDegrees_[k] * stepHours);
    turnCos[k] = std::cos(turn);
    turnSin[k] = std::sin(turn);
  }
  for (std::size_t done = 0; done < n; done += reseedEvery) {
    const double start = first + static_cast<double>(done) * step;
    const double hours = (start - static_cast<double>(year.start)) * hoursPerSecond;
    for (std::size_t k = 0; k < terms; ++k) {
      const double angle = radiansOf(speedDegrees_[k] * hours + year.argumentDegrees[k]);
      cosine[k] = year.amplitude[k] * std::cos(angle);
      sine[k] = year.amplitude[k] * std::sin(angle);
    }
    const std::size_t end = std::min(n, done + reseedEvery);
    for (std::size_t i = done; i < end; ++i) {
      double total = 0;
      if (output == Output::level) {
        for (std::size_t k = 0; k < terms; ++k)
          total += cosine[k];
        out[i] = levelAtSum(total);
      } else {
        for (std::size_t k = 0; k < terms; ++k)
          total -= speedRadians_[k] * sine[k];
        out[i] = total;
      }
      for (std::size_t k = 0; k < terms; ++k) {
        const double c = cosine[k];
        const double s = sine[k];
        cosine[k] = c * turnCos[k] - s * turnSin[k];
        sine[k] = c * turnSin[k] + s * turnCos[k];
      }
    }
  }
}

} // namespace tide
