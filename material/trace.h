// Tracing one secondary ray, the building block of the plain traces and of
// every blurred or dispersive sample. Inline, so that no frame of its own
// sits between a sampling loop and the renderer's trace.
#ifndef VITREL_MATERIAL_TRACE_H
#define VITREL_MATERIAL_TRACE_H

#include "../host/ops.h"
#include "glass.h"

namespace vt {

// Traces one ray along `dir`; a ray that hits nothing sees the environment
// instead, from no known distance. Adds the length of a ray that hit to
// `distance_sum`.
inline void trace_ray(Ray kind, HostState *state, Vector *dir, Colour *colour,
                      double *distance_sum) {
  *colour = Colour{};
  const int hit = kind == Ray::reflection ? mi_trace_reflection(colour, state, dir)
                                          : mi_trace_refraction(colour, state, dir);
  if (hit) {
    // The renderer names the traced ray's state in `child` until the next
    // trace, which may already run inside the shading of this one's hit.
    if (state->child != nullptr) *distance_sum += state->child->hit_distance;
    return;
  }
  *colour = Colour{};
  mi_trace_environment(colour, state, dir);
}

} // namespace vt

#endif
