#include "host/ray_sets.h"
#include "optics/optics.h"

namespace glass {

namespace {

// The state at which the ray entered this glass: the parent of the nearest
// state on the chain that passed through a surface shaded by this very shader
// record. Null when the chain holds no such state.
const HostState *find_entry_state(const HostState *state) {
  for (const HostState *r = state; r != nullptr; r = r->parent) {
    if (in_set(kPassThroughRays, r->ray_type) && r->parent != nullptr &&
        r->parent->shader == state->shader)
      return r->parent;
  }
  return nullptr;
}

} // namespace

int set_refraction_indices(HostState *state, float glass_index, float outside_index,
                           float *incident_index_out, float *transmitted_index_out) {
  const bool leaving = state->inverted_normal != 0;
  float incident, transmitted;
  if (leaving) {
    // The ray leaving goes back into whatever medium it came from.
    const HostState *entry = find_entry_state(state);
    if (entry != nullptr)
      state->refraction_volume = entry->volume;
    else
      state->refraction_volume = state->camera != nullptr ? state->camera->camera_volume : 0;
    incident = glass_index;
    transmitted = outside_index;
  } else {
    if (state->refraction_volume == 0) state->refraction_volume = state->volume;
    incident = outside_index;
    transmitted = glass_index;
  }
  *incident_index_out = incident;
  *transmitted_index_out = transmitted;
  state->ior_in = incident;
  state->ior_out = transmitted;
  return leaving ? 0 : 1;
}

} // namespace glass
