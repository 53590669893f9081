#include "shading/irradiance.h"

#include "sampler/path_sampling.h"
#include "sampler/sobol.h"
#include "shading/surface_optics.h"
#include "shading/tracer.h"
#include <vitrel/host/state.h>

namespace vr {

namespace {

// Whether the photons have splatted s's caustic already: a camera ray's hit
// on the renderer's diffuse material (the glass's opaque layer still looks
// its caustic up).
bool splatted_here(const RenderState &s) {
  const RenderContext &rc = *s.thread->rc;
  return rc.caustics.splatted && s.host.ray_type == VITREL_RAY_EYE && s.object >= 0 &&
         rc.scene->objects[s.object].material.kind == MaterialKind::Diffuse;
}

Colour caustic_irradiance(RenderState &s) {
  const CausticLookup &c = s.thread->rc->caustics;
  if (c.map == nullptr || splatted_here(s)) return {0, 0, 0, 1};
  ++s.thread->estimates;
  return c.irradiance(c.map, s.point, s.geo_normal);
}

Colour gathered_irradiance(RenderState &s) {
  int rays = s.thread->rc->scene->options.gather_rays;
  if (rays <= 0 || s.host.ray_type == VITREL_RAY_GATHER) return {0, 0, 0, 1};
  uint64_t seed = draw_seed(s.path);
  uint32_t scramble_u = sobol_scramble(seed, 0), scramble_v = sobol_scramble(seed, 1);
  Frame frame = frame_around(normalize(to_v3(s.host.normal)));
  double r = 0, g = 0, b = 0;
  for (int k = 0; k < rays; ++k) {
    V3 local = cosine_hemisphere(scrambled_sobol_point(static_cast<uint32_t>(k), 0, scramble_u),
                                 scrambled_sobol_point(static_cast<uint32_t>(k), 1, scramble_v));
    // A unit vector in an orthonormal frame: unit already, up to rounding.
    V3 dir = from_frame(frame, local);
    if (dot(dir, s.geo_normal) <= 0) continue; // below the actual surface: no light
    Colour c;
    trace_gather(s, dir, &c);
    r += c.r, g += c.g, b += c.b;
  }
  return {float(r / rays), float(g / rays), float(b / rays), 1};
}

} // namespace

Colour compute_irradiance(RenderState &s) {
  Colour gathered = gathered_irradiance(s), caustic = caustic_irradiance(s);
  return {gathered.r + caustic.r, gathered.g + caustic.g, gathered.b + caustic.b, 1};
}

} // namespace vr
