#include "shading/render_state.h"

#include <algorithm>

namespace vr {

void init_thread_context(const RenderContext &rc, ThreadContext *tc) {
  tc->rc = &rc;
  // Every trace takes the next slot: reflection and refraction levels, then
  // one gather bounce; a little more for safety.
  // A photon path takes the light's state, then one per hit.
  size_t depth = std::max(static_cast<size_t>(rc.options.reflection_depth_limit) +
                              static_cast<size_t>(rc.options.refraction_depth_limit) + 4,
                          static_cast<size_t>(rc.scene->options.photon_depth) + 2);
  tc->arena.assign(depth, RenderState{});
  tc->rays = tc->estimates = 0;
}

} // namespace vr
