#include <cmath>

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
  const double length = std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                                  static_cast<double>(n.z) * n.z);
  if (length != 0.0) {
    const double inv = 1.0 / length;
    normal.x = static_cast<float>(n.x * inv);
    normal.y = static_cast<float>(n.y * inv);
    normal.z = static_cast<float>(n.z * inv);
  }

  const Vector &d = state->direction;
  const double dot = static_cast<double>(normal.x) * d.x + static_cast<double>(normal.y) * d.y +
                     static_cast<double>(normal.z) * d.z;
  state->dot_nd = static_cast<float>(dot);
  // The renderer's operations expect a normal that faces the incident ray.
  if (dot > 0.0) {
    state->dot_nd = static_cast<float>(-dot);
    normal = {-normal.x, -normal.y, -normal.z};
  }
}

} // namespace vt
