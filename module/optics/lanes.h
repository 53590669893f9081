// Lanes of double-precision values worked on together, one instruction for
// all of them: a pair in one SSE2 register (every x86-64 processor), four in
// one AVX2 register (optics/lanes_avx2.h). Each lane is rounded exactly as the
// same scalar expression would be, so lane-wise code gives the scalar code's
// answers whatever the width.
//
// A lane set L offers the vector type L::V (the compiler's own +, - and * work
// lane by lane on it), its integer view L::I, and the operations below: splat
// makes a constant for every lane that carries a value (kChannels of them),
// broadcast hands a run-time value to all.
#ifndef VITREL_OPTICS_LANES_H
#define VITREL_OPTICS_LANES_H

#include <emmintrin.h>

#include <cfloat>
#include <cstdint>
#include <cstring>

namespace glass {

struct PairLanes {
  typedef __m128d V;
  typedef __m128i I;
  static constexpr int kWidth = 2;

  static constexpr int kChannels = 2;
  static V splat(double v) { return _mm_set1_pd(v); }
  static V broadcast(double v) { return _mm_set1_pd(v); }
  static I splat_bits(uint64_t v) { return _mm_set1_epi64x(static_cast<long long>(v)); }
  // Two adjacent single-precision values, widened; and back, rounded. The
  // bytes go through memcpy, which may read and write floats as a double.
  static V from_singles(const float *lanes) {
    double both;
    std::memcpy(&both, lanes, sizeof both);
    return _mm_cvtps_pd(_mm_castpd_ps(_mm_set_sd(both)));
  }
  static void to_singles(V v, float *lanes) {
    const double both = _mm_cvtsd_f64(_mm_castps_pd(_mm_cvtpd_ps(v)));
    std::memcpy(lanes, &both, sizeof both);
  }
  static double lane0(V v) { return _mm_cvtsd_f64(v); }
  static double lane1(V v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }
  static void store(V v, double *lanes) { _mm_storeu_pd(lanes, v); }
  static V load(const double *lanes) { return _mm_loadu_pd(lanes); }

  static I bits(V v) { return _mm_castpd_si128(v); }
  static V from_bits(I i) { return _mm_castsi128_pd(i); }
  static I add(I a, I b) { return _mm_add_epi64(a, b); }
  static I sub(I a, I b) { return _mm_sub_epi64(a, b); }
  static I band(I a, I b) { return _mm_and_si128(a, b); }
  static I bxor(I a, I b) { return _mm_xor_si128(a, b); }
  template <int n>
  static I shift_left(I a) {
    return _mm_slli_epi64(a, n);
  }
  template <int n>
  static I shift_right(I a) {
    return _mm_srli_epi64(a, n);
  }

  static V equal(V a, V b) { return _mm_cmpeq_pd(a, b); }
  static V not_greater(V a, V b) { return _mm_cmpngt_pd(a, b); }
  static V less_equal(V a, V b) { return _mm_cmple_pd(a, b); }
  static V greater_equal(V a, V b) { return _mm_cmpge_pd(a, b); }
  static V negated(V a) { return _mm_xor_pd(a, splat(-0.0)); }
  static V both(V a, V b) { return _mm_and_pd(a, b); }
  static V either(V a, V b) { return _mm_or_pd(a, b); }
  // Each lane of `yes` where `mask` is set, of `no` elsewhere.
  static V select(V mask, V yes, V no) {
    return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
  }
  // A bit per lane, set where the mask is.
  static int mask_bits(V mask) { return _mm_movemask_pd(mask); }
  static constexpr int kAllLanes = 3;

  // The field at `first` of the table rows numbered by the lanes of `rows`,
  // rows `stride` doubles apart.
  template <int stride>
  static V gather(const double *first, I rows) {
    const long long row0 = _mm_cvtsi128_si64(rows);
    const long long row1 = _mm_cvtsi128_si64(_mm_unpackhi_epi64(rows, rows));
    return _mm_loadh_pd(_mm_load_sd(first + row0 * stride), first + row1 * stride);
  }

  // Limits each lane as to_single_saturated limits one amount of light: beyond
  // the single-precision range the largest finite value. minpd and maxpd with
  // the limit first hand a NaN lane through.
  static V saturated(V x) { return _mm_max_pd(splat(-FLT_MAX), _mm_min_pd(splat(FLT_MAX), x)); }
};

} // namespace glass

#endif
