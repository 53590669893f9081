#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// A dispersed photon stands for one wavelength. It bends by that wavelength's
// index on the side it goes into, whichever medium that is, and keeps that
// wavelength's share of its energy. A negative sample count leaves blur on but
// turns dispersion off.
float disperse(const PhotonHit &hit, int32_t samples, float dispersion) {
  HostState *state = hit.state;
  if (!(dispersion > 0.0f)) return 0.0f;
  if (param(state, hit.params->photon_dispersion_off) != 0) return 0.0f;
  if (samples < 1) return 0.0f;

  const double u = draw_sample(state, 1).u[0];
  const float offset = to_single((u - 0.5) * dispersion);
  Colour weights{0.0f, 0.0f, 0.0f, 0.0f};
  spectrum_color(&weights, to_single(u));

  // The weight blends the spectral colour with white. The tint lands on the
  // energy the photon arrived with, which the renderer sees after the call.
  const double w = param(state, hit.params->spectrum_weight);
  Colour *energy = hit.energy;
  energy->r = to_single(energy->r * (weights.r * w + (1.0 - w)));
  energy->g = to_single(energy->g * (weights.g * w + (1.0 - w)));
  energy->b = to_single(energy->b * (weights.b * w + (1.0 - w)));
  return offset;
}

} // namespace vt
