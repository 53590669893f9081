#include "../host/ops.h"
#include "photon.h"

namespace vt {

namespace {

// The layer's direct light comes from the lights themselves; a photon straight
// from a light would count it twice, so it is not stored. Passing through
// transparency is no bounce: the nearest ancestor of another kind decides.
bool straight_from_light(const HostState *state) {
  const HostState *origin = state->parent;
  // A photon without a recorded origin is not known to come straight from a
  // light; like a transparency chain that reaches the root, it is stored.
  if (origin == nullptr) return false;
  while (origin->ray_type == VITREL_RAY_PHOTON_TRANSPARENT && origin->parent != nullptr)
    origin = origin->parent;
  return origin->ray_type == VITREL_RAY_PHOTON_FROM_LIGHT;
}

} // namespace

// The opaque layer shows caustics where it scatters light back diffusely. The
// diffuse colours are zero when there is no layer, so nothing is stored then.
void store_where_diffuse(Colour *energy, HostState *state, const ScatterColours &colours) {
  const Colour &d = colours.diffuse_reflection;
  if (!(d.r > 0.0f || d.g > 0.0f || d.b > 0.0f)) return;
  if (straight_from_light(state)) return;
  mi_store_photon(energy, state);
}

} // namespace vt
