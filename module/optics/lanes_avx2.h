// Four lanes in one AVX2 register, for processors that have it: the three
// colour channels of one absorption in one instruction. Only code compiled
// for AVX2 includes this (optics/absorb_avx2.cpp); the operations mirror
// PairLanes (optics/lanes.h) one for one.
#ifndef VITREL_OPTICS_LANES_AVX2_H
#define VITREL_OPTICS_LANES_AVX2_H

#include <immintrin.h>

#include <cfloat>
#include <cstdint>

namespace glass {

struct QuadLanes {
  typedef __m256d V;
  typedef __m256i I;
  static constexpr int kWidth = 4;

  // Three lanes carry the channels; the fourth carries none, and constants
  // hold 0 there. A constant the same in all four lanes would be broadcast
  // into a register before each use, one instruction more than the full
  // 32-byte constant the arithmetic reads from memory as it goes.
  static constexpr int kChannels = 3;
  static V splat(double v) { return _mm256_set_pd(0.0, v, v, v); }
  static I splat_bits(uint64_t v) {
    const long long b = static_cast<long long>(v);
    return _mm256_set_epi64x(0, b, b, b);
  }
  static V broadcast(double v) { return _mm256_set1_pd(v); }
  static V from_singles(const float *lanes) { return _mm256_cvtps_pd(_mm_loadu_ps(lanes)); }
  static void to_singles(V v, float *lanes) { _mm_storeu_ps(lanes, _mm256_cvtpd_ps(v)); }
  static void store(V v, double *lanes) { _mm256_storeu_pd(lanes, v); }
  static V load(const double *lanes) { return _mm256_loadu_pd(lanes); }

  static I bits(V v) { return _mm256_castpd_si256(v); }
  static V from_bits(I i) { return _mm256_castsi256_pd(i); }
  static I add(I a, I b) { return _mm256_add_epi64(a, b); }
  static I sub(I a, I b) { return _mm256_sub_epi64(a, b); }
  static I band(I a, I b) { return _mm256_and_si256(a, b); }
  static I bxor(I a, I b) { return _mm256_xor_si256(a, b); }
  template <int n>
  static I shift_left(I a) {
    return _mm256_slli_epi64(a, n);
  }
  template <int n>
  static I shift_right(I a) {
    return _mm256_srli_epi64(a, n);
  }

  static V equal(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  static V not_greater(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_NGT_UQ); }
  static V less_equal(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
  static V greater_equal(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
  static V negated(V a) { return _mm256_xor_pd(a, splat(-0.0)); }
  static V both(V a, V b) { return _mm256_and_pd(a, b); }
  static V either(V a, V b) { return _mm256_or_pd(a, b); }
  static V select(V mask, V yes, V no) { return _mm256_blendv_pd(no, yes, mask); }
  // A bit per channel lane, set where the mask is.
  static int mask_bits(V mask) { return _mm256_movemask_pd(mask) & 7; }
  static constexpr int kAllLanes = 7;

  template <int stride>
  static V gather(const double *first, I rows) {
    const I offsets = stride == 1   ? rows
                      : stride == 2 ? _mm256_add_epi64(rows, rows)
                                    : _mm256_add_epi64(_mm256_add_epi64(rows, rows), rows);
    return _mm256_i64gather_pd(first, offsets, 8);
  }

  static V saturated(V x) {
    return _mm256_max_pd(splat(-FLT_MAX), _mm256_min_pd(splat(FLT_MAX), x));
  }
};

} // namespace glass

#endif
