// The sine and the cosine of one angle together, for the jitter's random
// direction: one per blurred sample.
//
// The angle is reduced by pi/2 held in three pieces, the first two short
// enough that their products with the quadrant count are exact, and the two
// Taylor polynomials (to degree 17 and 16, truncation below 2^-62 on
// [-pi/4, pi/4]) run side by side in the two lanes of one register. Every
// step is double precision with one final rounding each, so that a result
// lies within about 0.75 ulp of the exact value: mostly the C library's own
// double, and a single-precision value formed from it nearly always the
// same (tests/jitter_differential_test.cpp counts how often they part). Angles beyond
// 2^16 in magnitude, infinities and NaN go to the C library.
#ifndef VITREL_OPTICS_SIN_COS_H
#define VITREL_OPTICS_SIN_COS_H

#include <cmath>
#include <cstdint>

#include "optics/lanes.h"

namespace glass {

struct SinCos {
  double sin, cos;
};

namespace sin_cos_detail {

constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// pi/2 = kPiHalf1 + kPiHalf2 + kPiHalf3 to about 127 bits; the first two
// have 37 bits, so their products with a quadrant count below 2^16 are exact.
constexpr double kPiHalf1 = 0x1.921fb54440000p+0;
constexpr double kPiHalf2 = 0x1.68c234c4c0000p-39;
constexpr double kPiHalf3 = 0x1.98a2e03707345p-77;
constexpr double kFastLimit = 65536.0;
constexpr double kRoundingShift = 0x1.8p52;

// Taylor coefficients of sin(x) / x - 1 and cos(x) - 1 in x^2, side by side:
// (-1)^i / (2i + 1)! and (-1)^i / (2i)!, i = 1 .. 8.
alignas(16) constexpr double kTaylor[8][2] = {
    {-1.0 / 6, -1.0 / 2},
    {1.0 / 120, 1.0 / 24},
    {-1.0 / 5040, -1.0 / 720},
    {1.0 / 362880, 1.0 / 40320},
    {-1.0 / 39916800, -1.0 / 3628800},
    {1.0 / 6227020800, 1.0 / 479001600},
    {-1.0 / 1307674368000, -1.0 / 87178291200},
    {1.0 / 355687428096000, 1.0 / 20922789888000},
};

// The signs of (sin, cos) of the angle for those of the reduced angle (after
// the swap of odd quadrants), as the sign bits to flip, by quadrant.
alignas(16) constexpr uint64_t kQuadrantSigns[4][2] = {
    {0, 0}, {0, 1ull << 63}, {1ull << 63, 1ull << 63}, {1ull << 63, 0}};

} // namespace sin_cos_detail

inline SinCos sin_cos(double x) {
  using namespace sin_cos_detail;
  if (!(std::fabs(x) <= kFastLimit)) return {std::sin(x), std::cos(x)};

  const double shifted = x * kTwoOverPi + kRoundingShift;
  const double n = shifted - kRoundingShift;
  uint64_t n_bits;
  __builtin_memcpy(&n_bits, &shifted, sizeof n_bits);
  const double reduced = ((x - n * kPiHalf1) - n * kPiHalf2) - n * kPiHalf3;

  using L = PairLanes;
  const double t = reduced * reduced;
  const L::V tt = L::splat(t);
  L::V acc = _mm_load_pd(kTaylor[7]);
  for (int i = 6; i >= 0; --i) acc = acc * tt + _mm_load_pd(kTaylor[i]);
  const L::V lead = _mm_set_pd(1.0, reduced);
  const L::V scale = _mm_set_pd(t, reduced * t);
  const L::V sc = lead + scale * acc; // sine and cosine of the reduced angle

  // Quadrant q: (sin, cos) of x is (s, c), (c, -s), (-s, -c) or (-c, s).
  const unsigned q = static_cast<unsigned>(n_bits) & 3u;
  const L::V turned = (q & 1u) != 0 ? _mm_shuffle_pd(sc, sc, 1) : sc;
  const L::V result =
      _mm_xor_pd(turned, _mm_load_pd(reinterpret_cast<const double *>(kQuadrantSigns[q])));
  return {L::lane0(result), L::lane1(result)};
}

} // namespace glass

#endif
