// absorb_color's law on the three channels in one AVX2 register, for the
// processors that have it (absorb_color asks). Everything from here on is
// compiled for AVX2, and only this file's functions are: its templates are
// instantiated on the four-lane set alone.
#include <vitrel/host/state.h>
#include "optics/absorb_variants.h"

#if VITREL_ABSORB_AVX2
#pragma GCC push_options
#pragma GCC target("avx2")

#include "optics/absorb_law.h"
#include "optics/lanes_avx2.h"

namespace glass {

void absorb_color_avx2(Colour *colour, const Colour &absorption, float density, float distance) {
  using L = QuadLanes;
  // The fourth lane, the alpha, stays out of the law: it gets the absorption
  // channel 1.0, which leaves it as it is, and is not stored.
  const L::V c = _mm256_blend_pd(L::from_singles(&absorption.r), L::splat(1.0), 0x8);
  const L::V x = absorbed_lanes<L>(L::from_singles(&colour->r), c, density, distance);
  float lanes[4];
  L::to_singles(x, lanes);
  colour->r = lanes[0];
  colour->g = lanes[1];
  colour->b = lanes[2];
}

} // namespace glass

#pragma GCC pop_options
#endif
