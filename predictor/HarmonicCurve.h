#pragma once
// A reference station's level: its datum plus the sum over its constituents of
// amplitude × node factor × cos(speed × hours since the start of the UTC year
// + equilibrium argument − phase), with the year's node factors and
// equilibrium arguments; within an hour of a new year the two years' sums
// are blended smoothly. Stations measured in knots squared give the signed
// square root of the sum, to which the datum (in knots) is added.
//
// Runs of evenly spaced samples rotate each constituent's phasor by a fixed
// angle instead of taking a cosine per sample, and start afresh from exact
// cosines often enough that rounding never reaches the printed digits.

#include "predictor/TideCurve.h"

#include <vector>

namespace tide {

class HarmonicCurve : public TideCurve {
public:
  struct Term {
    double speedDegreesPerHour = 0;
    double amplitude = 0;
    double phaseDegrees = 0;
  };

  HarmonicCurve(double datum, bool squared, std::vector<Term> terms);

  // How long before and after a new year the two years are blended.
  static constexpr Seconds blendSeconds = secondsPerHour;

  // The tables of one year, one node factor and one equilibrium argument per
  // term. Years are added in order without gaps.
  void addYear(int year, const std::vector<double>& nodeFactors,
               const std::vector<double>& equilibriaDegrees);
  int firstYear() const { return firstYear_; }
  int lastYear() const { return firstYear_ + static_cast<int>(years_.size()) - 1; }

  double level(double instant) const;
  // The harmonic sum without datum and square root, which the level rises
  // and falls with, and its first two rates of change per hour.
  struct Rates {
    double sum = 0;
    double slope = 0;
    double curvature = 0;
  };
  Rates rates(double instant) const;
  // The level at a sum, and the sum at a level.
  double levelAtSum(double sum) const;
  double sumAtLevel(double level) const;

  void levels(Seconds first, Seconds step, std::size_t n, double* out) const override;
  // The same at times that need not be whole seconds.
  void levelsAlong(double first, double step, std::size_t n, double* out) const;
  void slopes(Seconds first, Seconds step, std::size_t n, double* out) const;

private:
  struct Year {
    Seconds start = 0;
    std::vector<double> amplitude;       // amplitude × node factor
    std::vector<double> argumentDegrees; // equilibrium argument − phase
  };
  enum class Output { level, slope };

  static std::size_t samplesBefore(double limit, double first, double step, std::size_t n);
  std::size_t yearOf(double instant) const;
  // The later of the two years whose sums are blended at the instant, or 0.
  std::size_t blendingWith(double instant) const;
  Rates withinYear(const Year& year, double instant) const;
  void run(double first, double step, std::size_t n, double* out, Output output) const;
  void runWithinYear(const Year& year, double first, double step, std::size_t n, double* out,
                     Output output) const;

  double datum_ = 0;
  bool squared_ = false;
  std::vector<double> speedDegrees_;
  std::vector<double> speedRadians_;
  std::vector<double> phaseDegrees_;
  std::vector<double> amplitudes_;
  int firstYear_ = 0;
  std::vector<Year> years_;
};

} // namespace tide
