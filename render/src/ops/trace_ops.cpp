// Tracing operations.
#include "ops/export.h"
#include "shading/environment.h"
#include "shading/ray_kinds.h"
#include "shading/tracer.h"

using namespace vr;

VR_HOST_OPERATION int mi_trace_reflection(Colour *out, HostState *state, Vector *dir) {
  return trace_secondary(*render_state(state), kRayReflect, to_v3(*dir), out) ? 1 : 0;
}

VR_HOST_OPERATION int mi_trace_refraction(Colour *out, HostState *state, Vector *dir) {
  return trace_secondary(*render_state(state), kRayRefract, to_v3(*dir), out) ? 1 : 0;
}

VR_HOST_OPERATION int mi_trace_environment(Colour *out, HostState *state, Vector *dir) {
  const RenderState &s = *render_state(state);
  *out = environment_colour(s.thread->rc->scene->environment, normalize(to_v3(*dir)));
  return 1;
}
