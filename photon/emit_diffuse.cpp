#include "../host/ops.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// Photons scattered by the opaque layer take its photon colour alone: the
// layer is neither blurred, dispersed nor reached through an absorbing path.
// A renderer that writes no direction lets the photon carry straight on.

int emit_diffuse_reflection(const PhotonHit &hit) {
  HostState *state = hit.state;
  Colour energy =
      scattered_energy(param(state, hit.params->photon_diffuse_color), *hit.energy, hit.chosen);
  Vector direction = state->direction;
  mi_reflection_dir_diffuse(&direction, state);
  return mi_photon_reflection_diffuse(&energy, state, &direction);
}

int emit_diffuse_transmission(const PhotonHit &hit) {
  HostState *state = hit.state;
  Colour energy =
      scattered_energy(param(state, hit.params->photon_diffuse_color), *hit.energy, hit.chosen);
  Vector direction = state->direction;
  mi_transmission_dir_diffuse(&direction, state);
  return mi_photon_transmission_diffuse(&energy, state, &direction);
}

} // namespace vt
