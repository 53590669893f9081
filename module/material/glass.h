// The working records of one material-shader call and the stages that fill
// them, in the order the call runs them (material/glass.cpp).
//
// Every record lives in the call's own locals. The renderer shades the hit of
// each trace before the trace returns, possibly with this shader again on the
// same thread, and runs many calls at once on other threads, so nothing here
// may be kept anywhere else.
#ifndef VITREL_MODULE_MATERIAL_GLASS_H
#define VITREL_MODULE_MATERIAL_GLASS_H

#include <cstdint>

#include "shader/glass_rules.h"

namespace glass {

// The lights whose highlights and diffuse light the glass receives.
struct LightList {
  Tag *start;
  int count;
};

// How the surface splits the light arriving along the ray.
struct FresnelSplit {
  Sides sides;
  Vector refraction_dir;
  float reflectance, transmittance;
  bool total_reflection; // no refracted direction exists
};

// The opaque coating, carried from the stage that lights it to the final blend.
struct Layer {
  float coverage;     // 0 when there is no coating
  bool lit;           // lit by the lights and the irradiance
  const Colour *base; // where the renderer keeps the coating's colour (lit only)
  Colour colour;      // the coating as seen
};

// How the secondary rays are traced.
struct PathInputs {
  float blur_amount, dispersion_amount; // 0 after the gate: plain traces
  int32_t falloff;
  int32_t single_path_mode;
  int32_t samples;
};

// Summed wide, so that two levels near the integer limit cannot wrap round
// into a shallow depth.
inline int64_t total_depth(const HostState &state) {
  return static_cast<int64_t>(state.reflection_level) + state.refraction_level;
}

// The renderer's answer to the single-path query.
struct SinglePath {
  bool single_path; // the renderer picks at most one ray
  bool no_sampling; // and it is traced plainly
};

// The ray falloff handed to the renderer, then the one it handed back.
struct FalloffPair {
  double start, stop;
};

struct PathChoice {
  bool reflect, refract;
  float weight; // compensation when the renderer picked one ray
};

// What a traced ray, or the average of its samples, brought back.
struct Traced {
  Colour colour;
  double distance; // 0: not known, so not absorbed
};

// The two secondary rays the glass traces.
enum class TraceKind { reflection, refraction };

// The stages, in the order the call runs them (material/surface.cpp).

void override_normal(HostState *state, const GlassParams *params);
LightList settle_light_list(HostState *state, const GlassParams *params);
FresnelSplit settle_indices(HostState *state, const GlassParams *params);
void split_by_fresnel(HostState *state, FresnelSplit *split);
void boost_reflection(HostState *state, const GlassParams *params, FresnelSplit *split);

// Every trace re-enters the shader for the hit it finds, so each level of glass
// recursion holds the shader's own frame plus the frame of the one trace in
// flight. The traces, and the lighting stage that runs before them, keep frames
// of their own: folded into the shader's frame, their locals would all be held
// at once on every level, whichever trace is running.
#define VITREL_OWN_FRAME __attribute__((noinline))
// What runs between a sampling loop and the renderer's trace is folded into
// its caller in every build, so that it adds no frame to a level.
#define VITREL_NO_FRAME __attribute__((always_inline)) inline

// The coating and the highlights (material/opaque_layer.cpp). True when the
// coating is fully opaque: the result and its alpha are then final.
VITREL_OWN_FRAME bool shade_layer_and_lights(Colour *result, HostState *state,
                                             const GlassParams *params, const LightList &lights,
                                             float reflectance, Layer *layer);

// Which rays are traced, and how (material/path_choice.cpp).
PathInputs read_path_inputs(HostState *state, const GlassParams *params);
FalloffPair install_falloff(HostState *state, const GlassParams *params, int32_t falloff);
SinglePath ask_single_path(HostState *state, int32_t single_path_mode);
void gate_sampling(HostState *state, const GlassParams *params, bool no_sampling, PathInputs *path);
PathChoice choose_paths(HostState *state, const GlassParams *params, const FresnelSplit &split,
                        bool single_path);
void restore_falloff(HostState *state, int32_t falloff, FalloffPair *pair);

// The traces write what they brought back to `out` (material/traces.cpp).
VITREL_OWN_FRAME void trace_plain(TraceKind kind, HostState *state, Vector dir, Traced *out);
// `samples` rays jittered by `amount` around `base`, averaged.
VITREL_OWN_FRAME void trace_blurred(TraceKind kind, HostState *state, Vector base, float amount,
                                    int32_t samples, Traced *out);
// Refraction with an index of its own per sample across the spectrum, each
// sample tinted with its part of the spectrum, and jittered `with_blur`.
VITREL_OWN_FRAME void trace_dispersed(HostState *state, const GlassParams *params,
                                      const FresnelSplit &split, const PathInputs &path,
                                      bool with_blur, Traced *out);

// What the traced light adds to the result (material/compose.cpp). The
// reflected ray stays on the incident side of the surface; the refracted ray
// crosses to the other side. Each is absorbed where it ran, then added to
// the result times its share (add_product).

// Absorbing in a medium reads two fields and works out three exponentials;
// kept out of line, its locals stay off the shader's frame on every level.
VITREL_OWN_FRAME void absorb_traced(HostState *state, const GlassParams *params, Medium medium,
                                    Traced *traced);
inline void absorb_on(Side side, HostState *state, const GlassParams *params,
                      const FresnelSplit &split, Traced *traced) {
  // A ray whose length is not known is not absorbed, and its medium not read.
  if (traced->distance == 0.0) return;
  const Medium medium = medium_on(side, split.sides.entering, split.sides.outside_absorbs);
  if (medium != Medium::clear) absorb_traced(state, params, medium, traced);
}

float refracted_share(const FresnelSplit &split);

// The final blend with the coating, and the alpha (material/opaque_layer.cpp).
void blend_layer(Colour *result, HostState *state, const GlassParams *params, const Layer &layer);

} // namespace glass

#endif
