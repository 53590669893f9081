#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// Photons may carry indices of their own, so that caustics can be tuned apart
// from the rendered look. Every nonzero outside medium gives them its index,
// 2 included.
PhotonSides settle_photon_indices(HostState *state, const GlassParams *params,
                                  int32_t outside_medium) {
  const bool own = param(state, params->photon_own_ior) == 1;
  const float glass = own ? param(state, params->photon_ior) : param(state, params->ior);
  // Glass without an outside medium stands in vacuum; no outside index applies.
  float outside = 1.0f;
  if (outside_medium != 0)
    outside = own ? param(state, params->photon_outside_ior) : param(state, params->outside_ior);

  PhotonSides sides{};
  sides.entering = set_refraction_indices(state, glass, outside, &sides.ior_in, &sides.ior_out);
  return sides;
}

} // namespace vt
