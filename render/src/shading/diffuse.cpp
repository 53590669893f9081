#include "shading/diffuse.h"

#include "shading/irradiance.h"
#include "shading/lights.h"
#include "shading/textures.h"
#include <vitrel/host/state.h>

namespace vr {

Colour diffuse_albedo(const RenderState &s) {
  const ColourSource &c = s.thread->rc->scene->objects[s.object].material.diffuse;
  return c.textured ? eval_texture(c.texture, s.u, s.v, s.object_point) : c.constant;
}

Colour shade_diffuse(RenderState &s) {
  bool gather_hit = s.host.ray_type == VITREL_RAY_GATHER;
  Colour light = direct_light(s, gather_hit ? 1 : INT_MAX);
  Colour e = compute_irradiance(s); // a gather hit's holds only its caustic
  light = {light.r + e.r, light.g + e.g, light.b + e.b, 1};
  Colour albedo = diffuse_albedo(s);
  return {albedo.r * light.r, albedo.g * light.g, albedo.b * light.b, 1};
}

} // namespace vr
