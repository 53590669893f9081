// The natural exponential and logarithm, on all the lanes of a lane set at
// once (optics/lanes.h), for absorption.
//
// Absorption takes one logarithm and one exponential per colour channel on
// every traced ray, and the C library's scalar routines (with their wrappers
// for errno) cost about fifty instructions a call. These work every channel
// in the same instructions with a table of 2^7 entries each. Both keep every
// step in double precision and round once at the end, so that each result
// lies within about 0.502 ulp of the exact value (the table heads and tails
// hold the constants beyond double precision, and the polynomials' truncation
// is below 2^-60 relative): nearly always the C library's own double, and a
// single-precision value formed from either the same. The differential test
// (tests/absorb_differential_test.cpp) counts how often they part.
//
// Everything here is a template on the lane set, so that code compiled for
// AVX2 instantiates its own copies (optics/absorb_avx2.cpp).
#ifndef VITREL_OPTICS_EXP_LOG_H
#define VITREL_OPTICS_EXP_LOG_H

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "optics/exp_log_tables.h"

namespace glass {

namespace exp_log_detail {

// Adding this to a value of magnitude below 2^51 leaves its nearest integer in
// the low bits of the sum, and subtracting it again gives that integer exactly.
constexpr double kRoundingShift = 0x1.8p52;

// Below this the exponential is less than half the least subnormal and rounds
// to 0; above the other it overflows. Within +-704 the scaled result is a
// normal double, so that the exponent can be added to its bits.
constexpr double kExpUnderflow = -0x1.74910d52d3051p+9; // -745.1332191019411
constexpr double kExpOverflow = 0x1.62e42fefa39efp+9;   // 709.782712893384
constexpr double kExpFastLimit = 704.0;

// The lanes far from 0, or NaN, as the C library gives them.
template <class L>
typename L::V exp_edges(typename L::V y, typename L::V e, int fast_lanes) {
  double ys[L::kWidth], es[L::kWidth];
  L::store(y, ys);
  L::store(e, es);
  for (int i = 0; i < L::kChannels; ++i) {
    if (fast_lanes & (1 << i)) continue;
    if (ys[i] < kExpUnderflow)
      es[i] = 0.0;
    else if (ys[i] > kExpOverflow)
      es[i] = HUGE_VAL;
    else
      es[i] = std::exp(ys[i]); // NaN, and the few values near under- and overflow
  }
  return L::load(es);
}

} // namespace exp_log_detail

// e^y in each lane. y = k ln2 / 2^7 + r with k the nearest integer and
// |r| <= ln2 / 2^8; e^y = 2^(k / 2^7) e^r, with 2^(j / 2^7) (j = k mod 2^7)
// from the table and e^r - 1 from its Taylor polynomial to degree 5.
template <class L>
typename L::V exp_lanes(typename L::V y) {
  using namespace exp_log_tables;
  using namespace exp_log_detail;
  using V = typename L::V;
  using I = typename L::I;
  const V shift = L::splat(kRoundingShift);
  const V shifted = y * L::splat(kInvLn2N) + shift;
  const I k_bits = L::bits(shifted);
  const V k = shifted - shift;
  // The head of ln2 / 2^7 times k is exact, and so is the first subtraction.
  const V r = (y - k * L::splat(kLn2NHi)) - k * L::splat(kLn2NLo);
  // The polynomial in Estrin's form: its two halves run side by side.
  const V r2 = r * r;
  const V em1 = r + r2 * ((L::splat(1.0 / 2) + r * L::splat(1.0 / 6)) +
                          r2 * (L::splat(1.0 / 24) + r * L::splat(1.0 / 120)));

  const I j = L::band(k_bits, L::splat_bits((1u << kExpBits) - 1));
  const V head = L::template gather<2>(&kExp[0].hi, j);
  const V tail = L::template gather<2>(&kExp[0].lo, j);
  const V unscaled = head + (head * em1 + tail);
  // k / 2^7 rounded down, into the exponent field: k_bits holds k in its low
  // bits, and the shift's own bits leave through the top.
  const I scale = L::template shift_left<52 - kExpBits>(L::sub(k_bits, j));
  const V e = L::from_bits(L::add(L::bits(unscaled), scale));

  const V limit = L::splat(kExpFastLimit);
  const V fast = L::both(L::greater_equal(y, L::splat(-kExpFastLimit)), L::less_equal(y, limit));
  const int fast_lanes = L::mask_bits(fast);
  if (__builtin_expect(fast_lanes == L::kAllLanes, 1)) return e;
  return exp_edges<L>(y, e, fast_lanes);
}

// ln c in each lane, for c a positive single-precision value (infinity
// included) held in double. c = 2^k m with m in [0.69921875, 1.3984375), and
// ln m = ln(1 / inv) + ln(1 + r) with r = m inv - 1: inv, the reciprocal of
// the centre of m's bin, has few enough bits that m inv, and so r, is exact
// for a single-precision m, and |r| < 2^-7. ln(1 + r) comes from its Taylor
// polynomial to degree 8. The two bins around 1 take inv = 1, so that a
// channel close to 1 keeps its small logarithm exactly.
template <class L>
typename L::V log_lanes(typename L::V c) {
  using namespace exp_log_tables;
  using V = typename L::V;
  using I = typename L::I;
  const I bits = L::bits(c);
  const I reduced = L::sub(bits, L::splat_bits(kLogOffset));
  const I row =
      L::band(L::template shift_right<52 - kLogBits>(reduced), L::splat_bits((1u << kLogBits) - 1));
  // The top 12 bits of `reduced` hold k modulo 2^12; with the top bit
  // flipped they hold k + 2^11, which the bits of 2^52 turn into a double.
  const I biased_k = L::template shift_right<52>(L::bxor(reduced, L::splat_bits(1ull << 63)));
  const V k = L::from_bits(L::add(biased_k, L::bits(L::splat(0x1p52)))) - L::splat(0x1p52 + 0x1p11);
  const V m = L::from_bits(L::sub(bits, L::band(reduced, L::splat_bits(~0ull << 52))));

  const V inv = L::template gather<3>(&kLog[0].inv, row);
  const V head = L::template gather<3>(&kLog[0].hi, row);
  const V tail = L::template gather<3>(&kLog[0].lo, row);
  const V r = m * inv - L::splat(1.0);
  // k ln2 (its head) plus the table's head is exact; so is the sum with r and
  // its rounding error, since that sum is at least r or has w = 0.
  const V w = k * L::splat(kLn2Hi) + head;
  const V hi = w + r;
  const V lo = (w - hi) + r;
  // The polynomial in Estrin's form: its four quarters, then its halves,
  // run side by side, which shortens the chain of dependent steps.
  const V r2 = r * r;
  const V r4 = r2 * r2;
  const V low = (L::splat(-1.0 / 2) + r * L::splat(1.0 / 3)) +
                r2 * (L::splat(-1.0 / 4) + r * L::splat(1.0 / 5));
  const V high = (L::splat(-1.0 / 6) + r * L::splat(1.0 / 7)) + r2 * L::splat(-1.0 / 8);
  const V poly = r2 * (low + r4 * high);
  const V log = hi + ((lo + (k * L::splat(kLn2Lo) + tail)) + poly);
  // The logarithm of infinity is infinity.
  return L::select(L::less_equal(c, L::splat(DBL_MAX)), log, c);
}

} // namespace glass

#endif
