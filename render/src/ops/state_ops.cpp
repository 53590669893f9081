// Settings kept on the state: ray falloff, the renderer's flags, parameter
// evaluation.
#include <utility>

#include "ops/export.h"
#include "shading/connections.h"

using namespace vr;

VR_HOST_OPERATION int mi_ray_falloff(HostState *state, double *start, double *stop) {
  // Installs the pair for the rays traced from this state and hands back the
  // one it replaces, so a second call with the same variables restores it.
  RenderState &s = *render_state(state);
  std::swap(s.falloff_start, *start);
  std::swap(s.falloff_stop, *stop);
  return 1;
}

VR_HOST_OPERATION int mi_query(int code, HostState *state, Tag, void *result, ...) {
  if (code != VITREL_QUERY_SINGLE_PATH || result == nullptr) return 0;
  *static_cast<int *>(result) = render_state(state)->thread->rc->single_path;
  return 1;
}

VR_HOST_OPERATION void *mi_phen_eval(HostState *state, void *field) {
  return evaluate_field(*render_state(state), field);
}
