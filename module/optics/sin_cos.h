// The sine and the cosine of one angle together, for the jitter's random
// direction: one per blurred sample.
//
// The angle is reduced by pi/2 held in two pieces: the double nearest pi/2
// has only 50 significant bits, so its products with the quadrant counts of
// the near range (below 8) are exact, and the second piece carries the next
// 53. The two minimax polynomials (seven coefficients each, from
// optics/make_sin_cos_coefficients.py; below 2^-65 on [-pi/4, pi/4]) run side
// by side in the two lanes of one register. Every step is double precision
// with one final rounding each, so that a result lies within about 0.75 ulp
// of the exact value: mostly the C library's own double, and a
// single-precision value formed from it nearly always the same
// (tests/jitter_differential_test.cpp counts how often they part). Angles
// outside the near range, where a sample value outside [0, 1] puts them,
// and infinities and NaN go to the C library.
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
// pi/2 = kPiHalf1 + kPiHalf2 to about 103 bits; kPiHalf1, the double nearest
// pi/2, ends in three zero bits.
constexpr double kPiHalf1 = 0x1.921fb54442d18p+0;
constexpr double kPiHalf2 = 0x1.1a62633145c07p-54;
constexpr double kRoundingShift = 0x1.8p52;

// Minimax coefficients of (sin(x)/x - 1)/x^2 and (cos(x) - 1)/x^2 in x^2 on
// [-pi/4, pi/4], side by side, lowest order first.
alignas(16) constexpr double kPolynomial[7][2] = {
    {-0x1.5555555555555p-3, -0x1.0000000000000p-1},
    {0x1.1111111111110p-7, 0x1.5555555555551p-5},
    {-0x1.a01a01a019939p-13, -0x1.6c16c16c15d7bp-10},
    {0x1.71de3a5460ad4p-19, 0x1.a01a019de169dp-16},
    {-0x1.ae645412ea30cp-26, -0x1.27e4f8e4ce969p-22},
    {0x1.61217f2605e03p-33, 0x1.1eea7f451489dp-29},
    {-0x1.ab17e259da108p-41, -0x1.8ff9e53b84d3bp-37},
};

// The signs of (sin, cos) of the angle for those of the reduced angle (after
// the swap of odd quadrants), as the sign bits to flip, by quadrant.
alignas(16) constexpr uint64_t kQuadrantSigns[4][2] = {
    {0, 0}, {0, 1ull << 63}, {1ull << 63, 1ull << 63}, {1ull << 63, 0}};

} // namespace sin_cos_detail

// The near range: angles whose quadrant count is below 8 (every angle a
// sample value in [0, 1] gives lies in [0, 2 pi]).
inline bool near_angle(double x) { return std::fabs(x) <= 8.0; }

// For an angle in the near range.
inline SinCos sin_cos_near(double x) {
  using namespace sin_cos_detail;
  const double shifted = x * kTwoOverPi + kRoundingShift;
  const double n = shifted - kRoundingShift;
  uint64_t n_bits;
  __builtin_memcpy(&n_bits, &shifted, sizeof n_bits);
  const double reduced = (x - n * kPiHalf1) - n * kPiHalf2;

  using L = PairLanes;
  const double t = reduced * reduced;
  const L::V tt = L::splat(t);
  L::V acc = _mm_load_pd(kPolynomial[6]);
  for (int i = 5; i >= 0; --i) acc = acc * tt + _mm_load_pd(kPolynomial[i]);
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

// Any other angle, from the C library.
inline SinCos sin_cos_far(double x) { return {std::sin(x), std::cos(x)}; }

} // namespace glass

#endif
