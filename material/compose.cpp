// Adding the traced light to the result: each colour is absorbed on the side
// of the surface its ray ran through, then weighted by its share.
#include <cmath>

#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

namespace {

// A ray whose length is not known is not absorbed.
void absorb_inside(HostState *state, const GlassParams *params, Traced *traced) {
  if (traced->distance == 0.0) return;
  const float density = param(state, params->inside_density);
  const Colour colour = param(state, params->inside_color);
  absorb_color(&traced->colour, colour, density, traced->distance);
}

void absorb_outside(HostState *state, const GlassParams *params, const Surface &s, Traced *traced) {
  if (!s.outside_absorbs || traced->distance == 0.0) return;
  const float density = param(state, params->outside_density);
  const Colour colour = param(state, params->outside_color);
  absorb_color(&traced->colour, colour, density, traced->distance);
}

} // namespace

void absorb_reflection(HostState *state, const GlassParams *params, const Surface &s,
                       Traced *traced) {
  if (s.entering)
    absorb_outside(state, params, s, traced);
  else
    absorb_inside(state, params, traced);
}

void absorb_refraction(HostState *state, const GlassParams *params, const Surface &s,
                       Traced *traced) {
  if (s.entering)
    absorb_inside(state, params, traced);
  else
    absorb_outside(state, params, s, traced);
}

// Light crossing into a denser medium is squeezed into a narrower cone, so
// its radiance rises by the squared ratio of the surface's own indices (never
// a dispersive sample's). An index of 0 on the far side has no such ratio: the
// refracted share is then dropped rather than made infinite.
float refracted_share(const Surface &s) {
  const double in = s.ior_in, out = s.ior_out;
  const float share = static_cast<float>(in * in / (out * out) * s.transmittance);
  return std::isfinite(share) ? share : 0.0f;
}

void add_share(Colour *result, const Colour &colour, float weight, float share) {
  for (auto c : kRgb)
    result->*c = static_cast<float>(result->*c + static_cast<double>(colour.*c) * weight * share);
}

} // namespace vt
