#include "shading/render_state.h"

namespace vr {

void init_thread_context(const RenderContext &rc, ThreadContext *tc) {
  tc->rc = &rc;
  // Every trace takes the next slot: reflection and refraction levels, then
  // one gather bounce; a little more for safety.
  size_t depth = static_cast<size_t>(rc.options.reflection_depth_limit) +
                 static_cast<size_t>(rc.options.refraction_depth_limit) + 4;
  tc->arena.assign(depth, RenderState{});
  tc->rays = 0;
}

} // namespace vr
