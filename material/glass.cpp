// The material shader: the colour of a glass surface seen along one ray.
//
// The order of the stages below is the shader's contract with the renderer:
// every parameter may be connected to another shader, so each read costs an
// evaluation and happens exactly where its stage runs, and the renderer's
// operations are called in this order.
#include "glass.h"
#include "../shader/dispatch.h"

namespace vt {

namespace {

bool depth_limit_reached(const HostState &state) {
  return state.reflection_level >= state.options->reflection_depth_limit ||
         state.refraction_level >= state.options->refraction_depth_limit;
}

void clear_rgb(Colour *result) { result->r = result->g = result->b = 0.0f; }

Traced trace_reflection(HostState *state, const PathInputs &path) {
  // NaN and negative blur amounts still blur: only an exact 0 means sharp.
  if (path.blur_amount == 0.0f) return trace_plain_reflection(state);
  return trace_blurred_reflection(state, path);
}

Traced trace_refraction(HostState *state, const GlassParams *params, const Surface &surface,
                        const PathInputs &path) {
  if (path.blur_amount == 0.0f && path.dispersion_amount == 0.0f)
    return trace_plain(Ray::refraction, state, surface.refraction_dir);
  return trace_sampled_refraction(state, params, surface, path);
}

} // namespace

int shade_glass(Colour *result, HostState *state, const GlassParams *params) {
  if (depth_limit_reached(*state)) return 0;
  clear_rgb(result);
  override_normal(state, params);
  const LightList lights = settle_light_list(state, params);

  Surface surface = settle_indices(state, params);
  split_by_fresnel(state, &surface);
  boost_reflection(state, params, &surface);

  Layer layer;
  if (shade_layer_and_lights(result, state, params, lights, surface.reflectance, &layer)) return 1;

  PathInputs path = read_path_inputs(state, params);
  FalloffPair falloff = install_falloff(state, params, path.falloff);
  const SinglePath single = ask_single_path(state, path.single_path_mode);
  gate_sampling(state, params, single.no_sampling, &path);
  const PathChoice choice =
      choose_paths(state, params, surface, path.total_depth, single.single_path);

  if (choice.reflect)
    add_reflected(result, state, params, surface, choice.weight, trace_reflection(state, path));
  if (choice.refract)
    add_refracted(result, state, params, surface, choice.weight,
                  trace_refraction(state, params, surface, path));

  // Every path past the falloff's installation comes through here, also when
  // the renderer's choice traced nothing.
  restore_falloff(state, path.falloff, &falloff);
  blend_layer(result, state, params, layer);
  return 1;
}

} // namespace vt
