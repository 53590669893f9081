#include "optics/absorb_law.h"
#include "optics/absorb_variants.h"
#include "optics/lanes.h"
#include "optics/optics.h"
#include "optics/precision.h"

namespace glass {

#if VITREL_ABSORB_AVX2
// optics/absorb_avx2.cpp
void absorb_color_avx2(Colour *colour, const Colour &absorption, float density, float distance);
#endif

void absorb_color(Colour *colour, const Colour &absorption, float density, double distance) {
  // The distance enters the law as a single-precision value.
  const float d = to_single(distance);
#if VITREL_ABSORB_AVX2
  // The same law on all three channels in one register, where the processor
  // has AVX2; the answers are the same.
  if (__builtin_cpu_supports("avx2")) return absorb_color_avx2(colour, absorption, density, d);
#endif
  // r and g in one pair of lanes, b in the other.
  using L = PairLanes;
  const L::V rg = absorbed_lanes<L>(L::from_singles(&colour->r), L::from_singles(&absorption.r),
                                    wide(density), wide(d));
  const L::V b = absorbed_lanes<L>(L::broadcast(colour->b), L::broadcast(absorption.b),
                                   wide(density), wide(d));
  float lanes[2];
  L::to_singles(rg, lanes);
  colour->r = lanes[0];
  colour->g = lanes[1];
  colour->b = to_single(_mm_cvtsd_f64(b));
}

} // namespace glass
