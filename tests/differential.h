// What the differential tests share: a seeded source of inputs spread over
// whole ranges, the distance of two single-precision results in units in the
// last place, and the tally of how often and how far two routines part.
#ifndef VITREL_TESTS_DIFFERENTIAL_H
#define VITREL_TESTS_DIFFERENTIAL_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>

namespace differential {

// Inputs per differential run: ten million in an optimised build; a build
// with assertions (the sanitizer run) takes a tenth, so that it stays within
// seconds too.
#ifdef NDEBUG
constexpr long kInputs = 10'000'000;
#else
constexpr long kInputs = 1'000'000;
#endif

class Inputs {
public:
  explicit Inputs(uint64_t seed) : rng_(seed) {}

  double uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng_);
  }
  // Spread evenly over the binary exponents from lo to hi (both positive).
  double log_uniform(double lo, double hi) {
    return std::exp2(uniform(std::log2(lo), std::log2(hi)));
  }
  float single(double v) { return static_cast<float>(v); }
  bool chance(double p) { return uniform(0.0, 1.0) < p; }
  template <typename T, size_t n>
  T pick(const T (&values)[n]) {
    return values[std::uniform_int_distribution<size_t>(0, n - 1)(rng_)];
  }

private:
  std::mt19937_64 rng_;
};

// How far apart two single-precision results lie: 0 when they are the same
// value (all NaNs are one value), else the number of floats between them plus
// one; a NaN against a number, or values of opposite sign, count as far.
inline int64_t ulps_apart(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : INT64_MAX;
  if (a == b) return 0; // +0 and -0 too
  int32_t ia, ib;
  std::memcpy(&ia, &a, sizeof ia);
  std::memcpy(&ib, &b, sizeof ib);
  if ((ia < 0) != (ib < 0)) return INT64_MAX;
  return std::llabs(static_cast<int64_t>(ia) - ib);
}

struct Tally {
  long compared = 0;
  long differing = 0;
  int64_t farthest = 0;

  void add(float replacement, float reference) {
    ++compared;
    const int64_t apart = ulps_apart(replacement, reference);
    if (apart == 0) return;
    ++differing;
    if (apart > farthest) farthest = apart;
  }
  void add(const Tally &t) {
    compared += t.compared;
    differing += t.differing;
    if (t.farthest > farthest) farthest = t.farthest;
  }
};

inline std::ostream &operator<<(std::ostream &os, const Tally &t) {
  return os << t.differing << " of " << t.compared << " stored values differ, at most "
            << t.farthest << " ulp apart";
}

} // namespace differential

#endif
