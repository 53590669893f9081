// Adding the traced light to the result: each colour is absorbed on the side
// of the surface its ray ran through, then weighted by its share.
#include "material/glass.h"

namespace glass {

void absorb_traced(HostState *state, const GlassParams *params, Medium medium, Traced *traced) {
  absorb_through(state, params, medium, traced->distance, AbsorptionReads::density_first,
                 &traced->colour);
}

// Light crossing into a denser medium is squeezed into a narrower cone, so
// its radiance rises by the squared ratio of the surface's own indices (never
// a dispersive sample's). An index of 0 on the far side has no such ratio, nor
// has one so small that the ratio leaves single precision: the refracted share
// is then dropped rather than made infinite.
float refracted_share(const FresnelSplit &s) {
  const double in = s.sides.ior_in, out = s.sides.ior_out;
  return to_single_or_dropped(in * in / (out * out) * s.transmittance);
}

} // namespace glass
