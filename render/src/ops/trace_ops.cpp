// Tracing operations.
#include "ops/export.h"
#include "shading/environment.h"
#include "shading/tracer.h"
#include <vitrel/host/state.h>

using namespace vr;

VR_HOST_OPERATION int mi_trace_reflection(Colour *out, HostState *state, Vector *dir) {
  return trace_secondary(*render_state(state), VITREL_RAY_REFLECT, to_v3(*dir), out) ? 1 : 0;
}

VR_HOST_OPERATION int mi_trace_refraction(Colour *out, HostState *state, Vector *dir) {
  return trace_secondary(*render_state(state), VITREL_RAY_REFRACT, to_v3(*dir), out) ? 1 : 0;
}

VR_HOST_OPERATION int mi_trace_environment(Colour *out, HostState *state, Vector *dir) {
  const RenderState &s = *render_state(state);
  *out = environment_colour(s.thread->rc->scene->environment, normalize(to_v3(*dir)));
  return 1;
}
