#include "../host/ops.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// A photon refracted through the clear glass: dispersed into one wavelength,
// filtered, tinted by the medium it came through, and scattered about the
// refraction direction by the blur.
int emit_specular_transmission(const PhotonHit &hit) {
  HostState *state = hit.state;
  const GlassParams *params = hit.params;
  Colour filter = param(state, params->photon_specular_color);
  const int32_t samples = param(state, params->samples);
  const float blur = param(state, params->blur);
  const float dispersion = param(state, params->dispersion);

  // The dispersion sample is drawn before the blur sample.
  const float offset = disperse(hit, samples, dispersion);
  absorb_filter(&filter, hit);
  Colour energy = scattered_energy(filter, *hit.energy, hit.chosen);

  const BlurDraw draw = draw_blur(state, params, samples, blur);
  const float ior_out = to_single(static_cast<double>(hit.sides.ior_out) + offset);
  // Where the dispersed index reflects totally the renderer may write no
  // direction; the photon then carries straight on.
  Vector direction = state->direction;
  mi_transmission_dir_specular(&direction, state, hit.sides.ior_in, ior_out);
  apply_blur(&direction, draw);
  return mi_photon_transmission_specular(&energy, state, &direction);
}

} // namespace vt
