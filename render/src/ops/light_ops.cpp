// Lights, light lists and irradiance.
#include "ops/export.h"
#include "shading/irradiance.h"
#include "shading/lights.h"

using namespace vr;

VR_HOST_OPERATION int mi_sample_light(Colour *out, Vector *dir, float *dot_nl, HostState *state,
                                      Tag light, int *count) {
  V3 d;
  if (!sample_light(*render_state(state), light, count, out, &d, dot_nl)) return 0;
  *dir = to_vector(d);
  return 1;
}

VR_HOST_OPERATION int mi_inclusive_lightlist(int *n, Tag **list, HostState *state) {
  inclusive_lightlist(*render_state(state), n, list);
  return 1;
}

VR_HOST_OPERATION int mi_exclusive_lightlist(int *n, Tag **list, HostState *state) {
  exclusive_lightlist(*render_state(state), n, list);
  return 1;
}

VR_HOST_OPERATION int mi_compute_irradiance(Colour *out, HostState *state) {
  *out = compute_irradiance(*render_state(state));
  return 1;
}
