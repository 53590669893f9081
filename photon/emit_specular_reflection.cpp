#include "../host/ops.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// A photon mirrored by the clear glass: filtered, tinted by the medium it came
// through, and scattered about the mirror direction by the blur.
int emit_specular_reflection(const PhotonHit &hit) {
  HostState *state = hit.state;
  const GlassParams *params = hit.params;
  Colour filter = param(state, params->photon_specular_color);
  const int32_t samples = param(state, params->samples);
  const float blur = param(state, params->blur);

  absorb_filter(&filter, hit);
  Colour energy = scattered_energy(filter, *hit.energy, hit.chosen);

  const BlurDraw draw = draw_blur(state, params, samples, blur);
  // A renderer that writes no direction lets the photon carry straight on.
  Vector direction = state->direction;
  mi_reflection_dir_specular(&direction, state);
  apply_blur(&direction, draw);
  return mi_photon_reflection_specular(&energy, state, &direction);
}

} // namespace vt
