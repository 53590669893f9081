// The opaque coating over the glass and the light that falls on the surface:
// how much of the glass the coating hides and the colour it shows, the
// highlights each light puts on the glass, and the blend with the glass at
// the end of the call.
#include "material/glass.h"
#include "shader/param_eval.h"
#include <vitrel/host/ops.h>

namespace glass {

namespace {

// The highlight weight as the single-precision constant it is applied with.
constexpr float kSpecularScale = 0.2f;

Layer set_up_layer(HostState *state, const GlassParams *params) {
  Layer layer{};
  layer.coverage = clamp_opacity(param(state, params->opacity), NanOpacity::no_layer);
  if (!(layer.coverage > 0.0f)) return layer;

  const int32_t illuminate = param(state, params->illuminate);
  const Colour &field = coating_field(*state, *params);
  if (illuminate != 0) {
    // A lit coating starts black and gathers light; its colour is read where
    // the renderer keeps it, at each use.
    layer.base = &param(state, field);
    layer.lit = true;
  } else {
    layer.colour = param(state, field);
  }
  return layer;
}

// Highlights on the glass from one light, and its diffuse light on a lit
// coating, averaged over the samples the renderer draws for it.
void shade_light(Colour *result, HostState *state, const GlassParams *params, Tag light,
                 float reflectance, Layer *layer) {
  int count = 0;
  const float exponent = param(state, params->specular_exponent);
  const float scale = to_single(wide(param(state, params->specular)) * kSpecularScale);
  Colour highlight{}, diffuse{};

  Colour colour{};
  Vector dir{};
  float dot_nl = 0.0f;
  while (mi_sample_light(&colour, &dir, &dot_nl, state, light, &count)) {
    // Weighted by the (boosted) reflectance: highlights are reflections.
    const float h = to_single_saturated(wide(mi_phong_specular(exponent, state, &dir)) * exponent *
                                        reflectance);
    add_product(&highlight, colour, h);
    if (layer->lit) add_product(&diffuse, colour, *layer->base, dot_nl);
    // A sample the renderer does not write is black, not the previous one.
    colour = Colour{};
    dir = Vector{};
    dot_nl = 0.0f;
  }

  if (count > 1) {
    const double inv = 1.0 / count;
    set_product(&highlight, highlight, inv);
    if (layer->lit) set_product(&diffuse, diffuse, inv);
  }
  add_product(result, highlight, scale);
  if (layer->lit)
    for (auto c : kRgb) layer->colour.*c += diffuse.*c;
}

void add_irradiance(HostState *state, const GlassParams *params, Layer *layer) {
  const Colour scale = param(state, params->irradiance_color);
  Colour irradiance{};
  mi_compute_irradiance(&irradiance, state);
  add_product(&layer->colour, *layer->base, scale, irradiance);
}

bool alpha_inverted(HostState *state, const GlassParams *params) {
  return param(state, params->invert_alpha) == 1;
}

} // namespace

bool shade_layer_and_lights(Colour *result, HostState *state, const GlassParams *params,
                            const LightList &lights, float reflectance, Layer *layer) {
  *layer = set_up_layer(state, params);
  // Glass without a coating still gets its highlights.
  for (int i = 0; i < lights.count; ++i)
    shade_light(result, state, params, lights.start[i], reflectance, layer);
  if (!(layer->coverage > 0.0f)) return false;
  if (layer->lit) add_irradiance(state, params, layer);
  if (layer->coverage != 1.0f) return false;

  // Fully opaque: the coating hides the glass and its highlights, and nothing
  // behind it is traced.
  for (auto c : kRgb) result->*c = layer->colour.*c;
  result->a = alpha_inverted(state, params) ? 0.0f : 1.0f;
  return true;
}

void blend_layer(Colour *result, HostState *state, const GlassParams *params, const Layer &layer) {
  if (!(layer.coverage > 0.0f)) {
    result->a = alpha_inverted(state, params) ? 1.0f : 0.0f;
    return;
  }
  const float o = layer.coverage;
  const float t = to_single(1.0 - o);
  for (auto c : kRgb)
    result->*c = to_single_saturated(wide(t) * result->*c + wide(layer.colour.*c) * o);
  result->a = alpha_inverted(state, params) ? t : o;
}

} // namespace glass
