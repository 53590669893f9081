#include "photon/photon_path.h"

#include "photon/camera_splat.h"
#include "photon/stored_photon.h"
#include "scene/glass_material.h"
#include "shading/tracer.h"

namespace vr {

namespace {

// The light the photon left: the root of its path is the light's own state.
int light_of_path(const RenderState &s) {
  const HostState *h = &s.host;
  while (h->parent != nullptr) h = h->parent;
  return render_state(const_cast<HostState *>(h))->light;
}

} // namespace

bool straight_from_light(const RenderState &s) {
  const HostState *h = &s.host;
  while (h->ray_type == VITREL_RAY_PHOTON_TRANSPARENT && h->parent != nullptr) h = h->parent;
  return h->ray_type == VITREL_RAY_PHOTON_FROM_LIGHT;
}

namespace {

// The diffuse material's photon shader.
void shade_diffuse_photon(RenderState &s, Colour energy) {
  if (straight_from_light(s)) return;
  store_photon(s, energy);
  splat_to_camera(s, energy);
}

// The photon shader of a filled photon hit; answers the photon shader's result.
bool shade_photon_hit(RenderState &s, Colour energy) {
  const RenderContext &rc = *s.thread->rc;
  Object &o = const_cast<Object &>(rc.scene->objects[s.object]);
  if (!lit_by(o, light_of_path(s))) return true;
  if (o.material.kind == MaterialKind::Glass)
    return rc.module->shade_photon(&energy, &s.host, glass_params(o.material.glass)) != 0;
  shade_diffuse_photon(s, energy);
  return true;
}

} // namespace

bool continue_photon(RenderState &from, int32_t ray_type, Colour energy, V3 dir) {
  // The light's own state is depth 0 and the n-th hit depth n, so a photon
  // leaving a hit at depth d scatters for the d-th time.
  if (from.depth > from.thread->rc->scene->options.photon_depth) return false;
  RenderState *s = trace_unshaded(from, ray_type, dir);
  return s != nullptr && shade_photon_hit(*s, energy);
}

} // namespace vr
