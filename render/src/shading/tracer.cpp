#include "shading/tracer.h"

#include "sampler/path_sampling.h"
#include "scene/glass_material.h"
#include "shading/diffuse.h"
#include "shading/environment.h"
#include "shading/ray_kinds.h"

namespace vr {

namespace {

// A child state with its links set; the hit fields are filled by fill_hit.
RenderState *open_state(ThreadContext &tc, RenderState *parent, int32_t ray_type) {
  int depth = parent ? parent->depth + 1 : 0;
  if (depth >= static_cast<int>(tc.arena.size())) return nullptr;
  const RenderContext &rc = *tc.rc;
  RenderState &s = tc.arena[depth];
  s.host = HostState{};
  s.host.ray_type = ray_type;
  s.host.parent = parent ? &parent->host : nullptr;
  s.host.camera = const_cast<HostCamera *>(&rc.camera);
  s.host.options = const_cast<HostOptions *>(&rc.options);
  s.host.ior_in = s.host.ior_out = 1;
  if (parent) {
    bool reflected = is_reflection(ray_type);
    bool refracted = is_refraction(ray_type);
    s.host.reflection_level = parent->host.reflection_level + reflected;
    s.host.refraction_level = parent->host.refraction_level + refracted;
    // A refracted ray (or transmitted photon) travels in the medium the
    // parent's shader named for it; every other ray stays in the parent's.
    s.host.volume = refracted ? parent->host.refraction_volume : parent->host.volume;
  } else {
    s.host.volume = rc.camera.camera_volume;
  }
  s.thread = &tc;
  s.depth = depth;
  s.object = s.light = -1;
  s.falloff_start = s.falloff_stop = kNoFalloff;
  s.path.draws = s.path.loop_stream = 0;
  s.light_scramble[0] = s.light_scramble[1] = 0;
  return &s;
}

// The nearest visible area light along the ray before t_max; -1 if none.
int hit_light(const RenderContext &rc, V3 origin, V3 dir, double *t_max) {
  int found = -1;
  for (const VisibleLight &l : rc.visible_lights) {
    double denom = dot(dir, l.normal);
    if (denom == 0) continue;
    double t = dot(l.position - origin, l.normal) / denom;
    if (!(t > 0 && t < *t_max)) continue;
    V3 q = origin + dir * t - l.position;
    if (std::fabs(dot(q, l.u_axis)) > 0.5 || std::fabs(dot(q, l.v_axis)) > 0.5) continue;
    *t_max = t;
    found = l.index;
  }
  return found;
}

// The side of the hit: the normals turned to face the ray, inverted_normal
// set when the ray arrived at the back.
void set_surface(RenderState &s, V3 dir, V3 geo_normal, V3 shading_normal) {
  bool back = dot(dir, geo_normal) > 0;
  s.host.inverted_normal = back ? 1 : 0;
  s.geo_normal = back ? -geo_normal : geo_normal;
  V3 n = back ? -shading_normal : shading_normal;
  s.host.normal = to_vector(n);
  s.host.dot_nd = static_cast<float>(dot(dir, n));
}

// Finds the nearest hit within t_max and fills the state; false on a miss.
bool fill_hit(RenderState &s, V3 origin, V3 dir, double t_max, bool lights_visible) {
  ThreadContext &tc = *s.thread;
  const RenderContext &rc = *tc.rc;
  ++tc.rays;
  s.host.direction = to_vector(dir);
  SurfaceHit &hit = tc.hit;
  bool surface = intersect(*rc.accel, origin, dir, t_max, &hit);
  double t_light = surface ? hit.t : t_max;
  int light = lights_visible ? hit_light(rc, origin, dir, &t_light) : -1;
  if (light >= 0) {
    const Light &l = rc.scene->lights[light];
    s.light = light;
    s.host.hit_distance = t_light;
    s.point = origin + dir * t_light;
    // The light's normal points the way it emits: that side is the front.
    set_surface(s, dir, l.normal, l.normal);
    return true;
  }
  if (!surface) return false;
  s.object = hit.object;
  s.host.hit_distance = hit.t;
  s.host.shader = const_cast<HostShader *>(&rc.shaders[hit.object]);
  s.point = hit.point;
  s.u = hit.u, s.v = hit.v;
  s.object_point = hit.object_point;
  set_surface(s, dir, hit.geo_normal, hit.shading_normal);
  return true;
}

Colour environment_along(const RenderState &s, V3 dir) {
  return environment_colour(s.thread->rc->scene->environment, dir);
}

// Shades a filled state with its object's material (or a light's emission);
// false when the shader declines the ray.
bool shade_state(RenderState &s, Colour *out) {
  const RenderContext &rc = *s.thread->rc;
  if (s.light >= 0) {
    // A one-sided emitter: its radiance on the side it lights, black behind.
    Colour c = s.host.inverted_normal ? Colour{0, 0, 0, 1} : rc.scene->lights[s.light].colour;
    *out = {c.r, c.g, c.b, 1};
    return true;
  }
  Object &o = const_cast<Object &>(rc.scene->objects[s.object]);
  if (o.material.kind == MaterialKind::Glass)
    return rc.module->shade(out, &s.host, glass_params(o.material.glass)) != 0;
  *out = shade_diffuse(s);
  return true;
}

} // namespace

bool visible_light_blocks(const RenderContext &rc, V3 origin, V3 dir, double t_max) {
  return hit_light(rc, origin, dir, &t_max) >= 0;
}

V3 ray_origin(const RenderState &s, V3 dir) {
  // Far enough off the surface to clear single-precision intersection error
  // at this distance from the origin, and no farther.
  double eps = 1e-4 * (1 + max_abs(s.point));
  return s.point + s.geo_normal * (dot(dir, s.geo_normal) >= 0 ? eps : -eps);
}

RenderState *open_root_hit(ThreadContext &tc, V3 origin, V3 dir, uint64_t seed) {
  RenderState *s = open_state(tc, nullptr, VITREL_RAY_EYE);
  s->path.seed = seed;
  return fill_hit(*s, origin, dir, kNoFalloff, true) ? s : nullptr;
}

void trace_camera(ThreadContext &tc, V3 dir, uint64_t seed, Colour *out) {
  RenderState *s = open_root_hit(tc, tc.rc->eye, dir, seed);
  if (s == nullptr || !shade_state(*s, out))
    *out = environment_colour(tc.rc->scene->environment, dir);
}

RenderState &open_root_state(ThreadContext &tc, int32_t ray_type, uint64_t seed) {
  RenderState *s = open_state(tc, nullptr, ray_type);
  s->path.seed = seed;
  return *s;
}

RenderState *trace_unshaded(RenderState &parent, int32_t ray_type, V3 dir) {
  ThreadContext &tc = *parent.thread;
  dir = normalize(dir);
  RenderState *s = open_state(tc, &parent, ray_type);
  if (s == nullptr) return nullptr;
  s->path.seed = child_seed(parent.path);
  parent.host.child = &s->host;
  return fill_hit(*s, ray_origin(parent, dir), dir, kNoFalloff, false) ? s : nullptr;
}

bool trace_secondary(RenderState &parent, int32_t ray_type, V3 dir, Colour *out) {
  ThreadContext &tc = *parent.thread;
  dir = normalize(dir);
  RenderState *s = open_state(tc, &parent, ray_type);
  if (s == nullptr) { // deeper than any depth limit allows
    *out = environment_along(parent, dir);
    return false;
  }
  s->path.seed = child_seed(parent.path);
  parent.host.child = &s->host;
  double start = parent.falloff_start, stop = parent.falloff_stop;
  if (!fill_hit(*s, ray_origin(parent, dir), dir, stop, true) || !shade_state(*s, out)) {
    *out = environment_along(parent, dir);
    return false;
  }
  double t = s->host.hit_distance;
  if (t > start && t < stop) {
    float f = static_cast<float>((t - start) / (stop - start));
    *out = lerp(*out, environment_along(parent, dir), f);
  }
  return true;
}

void trace_gather(RenderState &parent, V3 dir, Colour *out) {
  ThreadContext &tc = *parent.thread;
  RenderState *s = open_state(tc, &parent, VITREL_RAY_GATHER);
  if (s != nullptr) {
    s->path.seed = child_seed(parent.path);
    if (fill_hit(*s, ray_origin(parent, dir), dir, kNoFalloff, false) && shade_state(*s, out))
      return;
  }
  *out = environment_along(parent, dir);
}

} // namespace vr
