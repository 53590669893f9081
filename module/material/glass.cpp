// The material shader: the colour of a glass surface seen along one ray.
//
// The order of the stages below is the shader's contract with the renderer:
// every parameter may be connected to another shader, so each read costs an
// evaluation and happens exactly where its stage runs, and the renderer's
// operations are called in this order.
#include "material/glass.h"
#include "shader/dispatch.h"
#include <vitrel/host/ops.h>

namespace glass {

namespace {

// A host without an options record sets no depth limits; its renderer stops
// the recursion itself.
bool depth_limit_reached(const HostState &state) {
  const HostOptions *options = state.options;
  return options != nullptr && (state.reflection_level >= options->reflection_depth_limit ||
                                state.refraction_level >= options->refraction_depth_limit);
}

void clear_rgb(Colour *result) { result->r = result->g = result->b = 0.0f; }

void trace_reflection(HostState *state, const PathInputs &path, Traced *out) {
  Vector mirror{};
  mi_reflection_dir(&mirror, state);
  // Negative and NaN blur amounts still blur: only an exact 0 means sharp.
  if (path.blur_amount == 0.0f)
    trace_plain(TraceKind::reflection, state, mirror, out);
  else
    trace_blurred(TraceKind::reflection, state, mirror, path.blur_amount, path.samples, out);
}

// Only positive amounts shape the refraction: with neither positive there is
// no sample to take, and the refraction is traced as it is.
void trace_refraction(HostState *state, const GlassParams *params, const FresnelSplit &split,
                      const PathInputs &path, Traced *out) {
  const bool blur = path.blur_amount > 0.0f;
  if (path.dispersion_amount > 0.0f)
    trace_dispersed(state, params, split, path, blur, out);
  else if (blur)
    trace_blurred(TraceKind::refraction, state, split.refraction_dir, path.blur_amount,
                  path.samples, out);
  else
    trace_plain(TraceKind::refraction, state, split.refraction_dir, out);
}

} // namespace

int shade_glass(Colour *result, HostState *state, const GlassParams *params) {
  if (depth_limit_reached(*state)) return 0;
  clear_rgb(result);
  override_normal(state, params);
  const LightList lights = settle_light_list(state, params);

  FresnelSplit split = settle_indices(state, params);
  split_by_fresnel(state, &split);
  boost_reflection(state, params, &split);

  Layer layer;
  if (shade_layer_and_lights(result, state, params, lights, split.reflectance, &layer)) return 1;

  PathInputs path = read_path_inputs(state, params);
  FalloffPair falloff = install_falloff(state, params, path.falloff);
  const SinglePath single = ask_single_path(state, path.single_path_mode);
  gate_sampling(state, params, single.no_sampling, &path);
  const PathChoice choice = choose_paths(state, params, split, single.single_path);

  Traced traced{};
  if (choice.reflect) {
    trace_reflection(state, path, &traced);
    absorb_on(Side::incident, state, params, split, &traced);
    add_product(result, traced.colour, choice.weight, split.reflectance);
  }
  if (choice.refract) {
    trace_refraction(state, params, split, path, &traced);
    absorb_on(Side::transmitted, state, params, split, &traced);
    add_product(result, traced.colour, choice.weight, refracted_share(split));
  }

  // Every path past the falloff's installation comes through here, also when
  // the renderer's choice traced nothing.
  restore_falloff(state, path.falloff, &falloff);
  blend_layer(result, state, params, layer);
  return 1;
}

} // namespace glass
