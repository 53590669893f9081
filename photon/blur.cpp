#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// Frosted glass scatters photons about the mirror and refraction directions
// as it does the rays of the rendered look. Any blur_off other than 1 leaves
// blur on, and only a sample count of 0 turns it off.
BlurDraw draw_blur(HostState *state, const GlassParams *params, int32_t samples, float blur) {
  BlurDraw draw{false, blur, 0.0f, 0.0f};
  if (blur == 0.0f) return draw;
  if (param(state, params->photon_blur_off) == 1) return draw;
  if (samples == 0) return draw;

  const Sample sample = draw_sample(state, 2);
  draw.jitter = true;
  draw.s1 = to_single(sample.u[0]);
  draw.s2 = to_single(sample.u[1]);
  return draw;
}

void apply_blur(Vector *direction, const BlurDraw &draw) {
  if (draw.jitter) jitter_direction(direction, direction, draw.amount, draw.s1, draw.s2);
}

} // namespace vt
