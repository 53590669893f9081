// Tracing: finding a ray's hit, filling the hit's state and shading it.
#ifndef VITREL_RENDER_SHADING_TRACER_H
#define VITREL_RENDER_SHADING_TRACER_H

#include "shading/render_state.h"

namespace vr {

// The primary ray of a pixel sample: fills the thread's root state and
// shades the hit; the environment when nothing is hit or the shader declines.
void trace_camera(ThreadContext &tc, V3 dir, uint64_t seed, Colour *out);

// Fills the thread's root state for a primary ray from `origin` without
// shading it; null when nothing is hit.
RenderState *open_root_hit(ThreadContext &tc, V3 origin, V3 dir, uint64_t seed);

// A reflection or refraction ray from the parent's hit, for the module's
// mi_trace_reflection and mi_trace_refraction: the child state records the
// ray (parent link, ray type, raised level, hit distance, direction, normal,
// side, volume) and becomes the parent's `child`. True when something was hit
// and shaded; otherwise *out is the environment and the answer false. The
// parent's installed falloff fades long rays into the environment.
bool trace_secondary(RenderState &parent, int32_t ray_type, V3 dir, Colour *out);

// A gather ray for the irradiance estimate: like a reflection ray, but of
// the gather type, unseen lights, and the parent's `child` is left alone.
void trace_gather(RenderState &parent, V3 dir, Colour *out);

// A root state without a hit, at depth 0 of the thread's arena: the start
// of a path that does not begin at the camera (a photon's light).
RenderState &open_root_state(ThreadContext &tc, int32_t ray_type, uint64_t seed);

// A ray from the parent's hit that finds and fills its hit without shading
// it: the child state is filled as for trace_secondary and becomes the
// parent's `child`. Lights are not surfaces to it. Null when nothing is hit
// or the path is deeper than the thread's storage.
RenderState *trace_unshaded(RenderState &parent, int32_t ray_type, V3 dir);

// Whether a visible area light lies along origin + t dir, 0 < t < t_max:
// the camera sees the light there, not what lies behind it.
bool visible_light_blocks(const RenderContext &rc, V3 origin, V3 dir, double t_max);

// Where a ray leaving the state's hit in `dir` starts: just off the surface,
// on the side it leaves to.
V3 ray_origin(const RenderState &s, V3 dir);

} // namespace vr

#endif
