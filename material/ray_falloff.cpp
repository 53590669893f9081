// The ray falloff is the one renderer setting the shader changes, and only
// for the traces it makes: the renderer swaps the pair it is handed with its
// previous one, so handing the same pair back restores it.
#include "../host/ops.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

FalloffPair install_falloff(HostState *state, const GlassParams *params, int32_t falloff) {
  FalloffPair pair{0.0, 0.0};
  if (falloff == 0) return pair;
  pair.start = param(state, params->falloff_start);
  pair.stop = param(state, params->falloff_stop);
  mi_ray_falloff(state, &pair.start, &pair.stop);
  return pair;
}

void restore_falloff(HostState *state, int32_t falloff, FalloffPair *pair) {
  if (falloff != 0) mi_ray_falloff(state, &pair->start, &pair->stop);
}

} // namespace vt
