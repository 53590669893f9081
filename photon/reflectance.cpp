#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// The boost b stretches the reflectance below 1 - b over 0..1 and makes
// everything above it reflect fully, so caustics can favour the mirror.
float boost_reflectance(HostState *state, const GlassParams *params, float reflectance) {
  // The boost is evaluated once for the test and once more for its value.
  if (!(param(state, params->reflection_boost) > 0.0f)) return reflectance;
  const double headroom = 1.0 - static_cast<double>(param(state, params->reflection_boost));
  // A boost of 1 or more leaves no headroom: everything reflects. Testing the
  // headroom too keeps a reflectance reported below 0 from dividing by zero.
  if (headroom > 0.0 && reflectance < headroom) return to_single(reflectance / headroom);
  return 1.0f;
}

} // namespace vt
