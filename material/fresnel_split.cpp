#include "../host/ops.h"
#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

Surface settle_indices(HostState *state, const GlassParams *params) {
  Surface s{};
  const int32_t outside_medium = param(state, params->outside_medium);
  s.ior = param(state, params->ior);
  // Only a medium of kind 1 has an index of its own; any other nonzero kind
  // absorbs but refracts like air.
  s.outside_index = outside_medium == 1 ? param(state, params->outside_ior) : 1.0f;
  s.outside_absorbs = outside_medium != 0;
  s.entering = set_refraction_indices(state, s.ior, s.outside_index, &s.ior_in, &s.ior_out) != 0;
  return s;
}

void split_by_fresnel(HostState *state, Surface *s) {
  s->refraction_dir = Vector{};
  if (mi_refraction_dir(&s->refraction_dir, state, s->ior_in, s->ior_out)) {
    s->total_reflection = false;
    s->reflectance = mi_fresnel_reflection(state, s->ior_in, s->ior_out);
    s->transmittance = static_cast<float>(1.0 - s->reflectance);
  } else {
    // No refracted direction: all the light is reflected.
    s->total_reflection = true;
    s->reflectance = 1.0f;
    s->transmittance = 0.0f;
  }
}

// The boost rescales the reflectance so that the share 1 - boost already
// counts as a full mirror.
void boost_reflection(HostState *state, const GlassParams *params, Surface *s) {
  const float boost = param(state, params->reflection_boost);
  const float b = static_cast<float>(1.0 - boost);
  if (!(1.0 - static_cast<double>(boost) < 1.0)) return;
  // A boost of 1 or more mirrors every hit, whatever the renderer's Fresnel
  // term (even one below 0, which would otherwise be divided by b <= 0).
  if (s->reflectance >= b || b <= 0.0f) {
    s->reflectance = 1.0f;
    s->transmittance = 0.0f;
    return;
  }
  s->reflectance = static_cast<float>(static_cast<double>(s->reflectance) / b);
  s->transmittance = static_cast<float>(1.0 - s->reflectance);
  if (s->transmittance < 0.0f) s->transmittance = 0.0f;
}

} // namespace vt
