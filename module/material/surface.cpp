// The surface as the ray meets it: the normal it is shaded with, the lights
// that reach it, the indices on both sides, and how it splits the light
// between reflection and refraction.
#include "material/glass.h"
#include "optics/vector_math.h"
#include "shader/param_eval.h"
#include <vitrel/host/ops.h>

namespace glass {

namespace {
enum LightMode : int32_t { kInclusive = 1, kExclusive = 2 };
}

// A replacement normal changes the state itself, so that every later
// operation of this call (refraction, Fresnel, lights, traces) sees it.
void override_normal(HostState *state, const GlassParams *params) {
  const Vector n = param(state, params->replacement_normal);
  // The zero vector (either sign) keeps the renderer's normal; NaN replaces it.
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return;

  Vector &normal = state->normal;
  normal = n;
  normalize(&normal);

  const double d = dot(normal, state->direction);
  state->dot_nd = to_single(d);
  // The renderer's operations expect a normal that faces the incident ray.
  if (d > 0.0) {
    state->dot_nd = to_single(-d);
    normal = {-normal.x, -normal.y, -normal.z};
  }
}

LightList settle_light_list(HostState *state, const GlassParams *params) {
  const int32_t mode = param(state, params->light_mode);
  const int32_t index = param(state, params->light_index);
  const int32_t count = param(state, params->light_count);
  // The renderer keeps the array's further elements right after the record.
  Tag *lights = const_cast<Tag *>(&param(state, params->lights[0]));
  LightList list{lights + index, count};
  // An inclusive or exclusive list is the renderer's to resolve: it may hand
  // back another start and count in place.
  if (mode == kInclusive)
    mi_inclusive_lightlist(&list.count, &list.start, state);
  else if (mode == kExclusive)
    mi_exclusive_lightlist(&list.count, &list.start, state);
  return list;
}

FresnelSplit settle_indices(HostState *state, const GlassParams *params) {
  FresnelSplit split{};
  const int32_t outside_medium = param(state, params->outside_medium);
  split.sides = settle_sides(state, params->ior, params->outside_ior, outside_medium,
                             OutsideIndex::kind_1_only);
  return split;
}

void split_by_fresnel(HostState *state, FresnelSplit *split) {
  const Sides &sides = split->sides;
  split->refraction_dir = Vector{};
  if (mi_refraction_dir(&split->refraction_dir, state, sides.ior_in, sides.ior_out)) {
    split->total_reflection = false;
    split->reflectance = mi_fresnel_reflection(state, sides.ior_in, sides.ior_out);
    split->transmittance = to_single(1.0 - split->reflectance);
  } else {
    // No refracted direction: all the light is reflected.
    split->total_reflection = true;
    split->reflectance = 1.0f;
    split->transmittance = 0.0f;
  }
}

void boost_reflection(HostState *state, const GlassParams *params, FresnelSplit *split) {
  // The boost is read once, and 1 - boost is stored before it divides.
  const float boost = param(state, params->reflection_boost);
  if (!(1.0 - wide(boost) < 1.0)) return; // 0, negative or NaN: no boost
  split->reflectance = to_single_saturated(boosted_reflectance(
      split->reflectance, to_single(1.0 - boost), BoostTest::mirror_at_or_above));
  split->transmittance = to_single(1.0 - split->reflectance);
  if (split->transmittance < 0.0f) split->transmittance = 0.0f;
}

} // namespace glass
