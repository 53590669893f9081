// Which secondary rays a hit spawns, and how they are traced. Deep in the ray
// tree, or when the renderer asks for single paths, a hit spawns at most one
// ray, picked by the renderer; blur and dispersion stop at their own depth.
// The ray falloff is the one renderer setting the shader changes, and only
// for the traces it makes.

#include "material/glass.h"
#include "shader/param_eval.h"
#include <vitrel/host/ops.h>

namespace glass {

namespace {

// A share at or below this is not worth a ray of its own.
constexpr double kNegligibleShare = 0.0001;

enum SinglePathMode : int32_t { kIgnoreQuery = 0, kSingleUnsampled = 2 };

// The renderer's compensation for following one ray in place of both: the
// share it assigned to the ray it picked over the share the ray carries. A
// pick whose share is 0 (or so small that the ratio overflows) carries no
// light, so it is weighted by 0 instead of an infinity or a NaN.
float compensation(float picked, float share) { return to_single_or_dropped(wide(picked) / share); }

PathChoice renderer_choice(HostState *state, const FresnelSplit &s) {
  // The alpha carries the share too: a renderer may weigh all four channels.
  Colour reflection{s.reflectance, s.reflectance, s.reflectance, s.reflectance};
  Colour transmission{s.transmittance, s.transmittance, s.transmittance, s.transmittance};
  switch (mi_choose_simple_scatter_type(state, nullptr, &reflection, nullptr, &transmission)) {
  case VITREL_SCATTER_SPECULAR_REFLECT:
    return {true, false, compensation(reflection.r, s.reflectance)};
  case VITREL_SCATTER_SPECULAR_TRANSMIT:
    return {false, true, compensation(transmission.r, s.transmittance)};
  default:
    return {false, false, 1.0f}; // absorbed or diffuse: the glass traces nothing
  }
}

} // namespace

PathInputs read_path_inputs(HostState *state, const GlassParams *params) {
  PathInputs path;
  path.blur_amount = param(state, params->blur);
  path.dispersion_amount = param(state, params->dispersion);
  path.falloff = param(state, params->falloff);
  path.single_path_mode = param(state, params->single_path_mode);
  path.samples = param(state, params->samples);
  return path;
}

// The renderer swaps the pair it is handed with its previous one, so handing
// the same pair back restores it.
FalloffPair install_falloff(HostState *state, const GlassParams *params, int32_t falloff) {
  FalloffPair pair{0.0, 0.0};
  if (falloff == 0) return pair;
  pair.start = param(state, params->falloff_start);
  pair.stop = param(state, params->falloff_stop);
  mi_ray_falloff(state, &pair.start, &pair.stop);
  return pair;
}

void restore_falloff(HostState *state, int32_t falloff, FalloffPair *pair) {
  if (falloff != 0) mi_ray_falloff(state, &pair->start, &pair->stop);
}

SinglePath ask_single_path(HostState *state, int32_t single_path_mode) {
  int answer = 0; // a renderer that does not answer leaves both paths on
  mi_query(VITREL_QUERY_SINGLE_PATH, state, Tag{0}, &answer);
  if (answer == 0 || single_path_mode == kIgnoreQuery) return {false, false};
  return {true, single_path_mode == kSingleUnsampled};
}

void gate_sampling(HostState *state, const GlassParams *params, bool no_sampling,
                   PathInputs *path) {
  const int32_t blur_depth = param(state, params->blur_depth);
  if (total_depth(*state) >= blur_depth || no_sampling || path->samples == 0) {
    path->blur_amount = 0.0f;
    path->dispersion_amount = 0.0f;
  }
}

PathChoice choose_paths(HostState *state, const GlassParams *params, const FresnelSplit &s,
                        bool single_path) {
  // Total internal reflection leaves nothing to choose, at any depth.
  if (s.total_reflection) return {true, false, 1.0f};
  const int32_t split_depth = param(state, params->split_depth);
  if (total_depth(*state) >= split_depth || single_path) return renderer_choice(state, s);
  if (s.transmittance <= kNegligibleShare) return {true, false, 1.0f};
  if (s.reflectance <= kNegligibleShare) return {false, true, 1.0f};
  return {true, true, 1.0f};
}

} // namespace glass
