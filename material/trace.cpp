// Tracing one secondary ray, the building block of the plain traces and of
// every blurred or dispersive sample.
#include "../host/ops.h"
#include "glass.h"

namespace vt {

void trace_ray(Ray kind, HostState *state, Vector *dir, Colour *colour, double *distance_sum) {
  *colour = Colour{};
  const int hit = kind == Ray::reflection ? mi_trace_reflection(colour, state, dir)
                                          : mi_trace_refraction(colour, state, dir);
  if (hit) {
    // The renderer names the traced ray's state in `child` until the next
    // trace, which may already run inside the shading of this one's hit.
    if (state->child != nullptr) *distance_sum += state->child->hit_distance;
    return;
  }
  // Nothing hit: the environment is seen instead, from no known distance.
  *colour = Colour{};
  mi_trace_environment(colour, state, dir);
}

Traced trace_plain(Ray kind, HostState *state, Vector dir) {
  Traced traced{Colour{}, 0.0};
  trace_ray(kind, state, &dir, &traced.colour, &traced.distance);
  return traced;
}

Traced trace_plain_reflection(HostState *state) {
  Vector dir{};
  mi_reflection_dir(&dir, state);
  return trace_plain(Ray::reflection, state, dir);
}

} // namespace vt
