#include "../optics/vector_math.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

// A replacement normal changes the state itself, so that every later
// operation of this call (refraction, Fresnel, lights, traces) sees it.
void override_normal(HostState *state, const GlassParams *params) {
  const Vector n = param(state, params->replacement_normal);
  // The zero vector (either sign) keeps the renderer's normal; NaN replaces it.
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return;

  Vector &normal = state->normal;
  normal = n;
  normalize(&normal);

  const double d = dot(normal, state->direction);
  state->dot_nd = static_cast<float>(d);
  // The renderer's operations expect a normal that faces the incident ray.
  if (d > 0.0) {
    state->dot_nd = static_cast<float>(-d);
    normal = {-normal.x, -normal.y, -normal.z};
  }
}

} // namespace vt
