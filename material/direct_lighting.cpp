// Highlights on the glass from each light, and the diffuse light on a lit
// coating, averaged over the samples the renderer draws per light.
#include "../host/ops.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

namespace {

// The highlight weight as the single-precision constant it is applied with.
constexpr float kSpecularScale = 0.2f;

void shade_light(Colour *result, HostState *state, const GlassParams *params, Tag light,
                 float reflectance, Layer *layer) {
  int count = 0;
  const float exponent = param(state, params->specular_exponent);
  const float scale =
      static_cast<float>(static_cast<double>(param(state, params->specular)) * kSpecularScale);
  Colour highlight{}, diffuse{};

  Colour colour{};
  Vector dir{};
  float dot_nl = 0.0f;
  while (mi_sample_light(&colour, &dir, &dot_nl, state, light, &count)) {
    // Weighted by the (boosted) reflectance: highlights are reflections.
    const float h = static_cast<float>(
        static_cast<double>(mi_phong_specular(exponent, state, &dir)) * exponent * reflectance);
    for (auto c : kRgb)
      highlight.*c = static_cast<float>(highlight.*c + static_cast<double>(colour.*c) * h);
    if (layer->lit)
      for (auto c : kRgb)
        diffuse.*c = static_cast<float>(diffuse.*c +
                                        static_cast<double>(colour.*c) * layer->base->*c * dot_nl);
    // A sample the renderer does not write is black, not the previous one.
    colour = Colour{};
    dir = Vector{};
    dot_nl = 0.0f;
  }

  if (count > 1) {
    const double inv = 1.0 / count;
    for (auto c : kRgb) highlight.*c = static_cast<float>(highlight.*c * inv);
    if (layer->lit)
      for (auto c : kRgb) diffuse.*c = static_cast<float>(diffuse.*c * inv);
  }
  for (auto c : kRgb)
    result->*c = static_cast<float>(result->*c + static_cast<double>(highlight.*c) * scale);
  if (layer->lit)
    for (auto c : kRgb) layer->colour.*c += diffuse.*c;
}

} // namespace

void add_direct_lighting(Colour *result, HostState *state, const GlassParams *params,
                         const LightList &lights, float reflectance, Layer *layer) {
  for (int i = 0; i < lights.count; ++i)
    shade_light(result, state, params, lights.start[i], reflectance, layer);
}

} // namespace vt
