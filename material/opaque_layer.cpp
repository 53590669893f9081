// The opaque coating over the glass: how much of the glass it hides, the
// colour it shows, and the blend with the glass at the end of the call.
#include "../host/ops.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

namespace {

Layer set_up_layer(HostState *state, const GlassParams *params) {
  Layer layer{};
  const float opacity = param(state, params->opacity);
  if (opacity > 1.0f)
    layer.coverage = 1.0f;
  else if (opacity > 0.0f)
    layer.coverage = opacity;
  else
    return layer; // 0, negative or NaN: no coating

  const int32_t illuminate = param(state, params->illuminate);
  // Only the byte value 1 marks the back side.
  const Colour &field = state->inverted_normal == 1 ? params->back_color : params->front_color;
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

void add_irradiance(HostState *state, const GlassParams *params, Layer *layer) {
  const Colour scale = param(state, params->irradiance_color);
  Colour irradiance{};
  mi_compute_irradiance(&irradiance, state);
  for (auto c : kRgb)
    layer->colour.*c = static_cast<float>(layer->colour.*c + static_cast<double>(layer->base->*c) *
                                                                 scale.*c * irradiance.*c);
}

bool alpha_inverted(HostState *state, const GlassParams *params) {
  return param(state, params->invert_alpha) == 1;
}

} // namespace

bool shade_layer_and_lights(Colour *result, HostState *state, const GlassParams *params,
                            const LightList &lights, float reflectance, Layer *layer) {
  *layer = set_up_layer(state, params);
  // Glass without a coating still gets its highlights.
  add_direct_lighting(result, state, params, lights, reflectance, layer);
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
  const float t = static_cast<float>(1.0 - o);
  for (auto c : kRgb)
    result->*c = static_cast<float>(static_cast<double>(t) * result->*c +
                                    static_cast<double>(layer.colour.*c) * o);
  result->a = alpha_inverted(state, params) ? t : o;
}

} // namespace vt
