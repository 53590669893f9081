#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

namespace {

// The renderer weighs the odds by r, g and b alone; an alpha the glass has no
// value for is 0.
Colour grey(double v) {
  const float c = to_single(v);
  return Colour{c, c, c, 0.0f};
}

Colour scaled(const Colour &layer, double opacity, double share) {
  return Colour{to_single(layer.r * opacity * share), to_single(layer.g * opacity * share),
                to_single(layer.b * opacity * share), 0.0f};
}

} // namespace

float read_opacity(HostState *state, const GlassParams *params) {
  const float opacity = param(state, params->opacity);
  if (opacity > 1.0f) return 1.0f;
  if (opacity < 0.0f) return 0.0f;
  return opacity;
}

// The opaque layer takes the share `opacity` of the photon and the clear glass
// the rest, which the Fresnel reflectance splits between mirror and refraction.
// Of the layer's share, a part `opacity` is scattered back and the rest through.
ScatterColours split_energy(HostState *state, const GlassParams *params, float opacity,
                            float reflectance) {
  ScatterColours colours{};
  // The clear share is a stored value of its own, as in the material shader's
  // blend, so both shaders split with the same single-precision 1 - opacity.
  const float clear = to_single(1.0 - static_cast<double>(opacity));
  colours.specular_reflection = grey(static_cast<double>(clear) * reflectance);
  colours.specular_transmission = grey((1.0 - static_cast<double>(reflectance)) * clear);
  colours.has_layer = opacity != 0.0f;
  if (!colours.has_layer) return colours;

  // Only the side the photon sees is evaluated.
  const Colour layer = state->inverted_normal == 1 ? param(state, params->back_color)
                                                   : param(state, params->front_color);
  colours.diffuse_reflection = scaled(layer, opacity, opacity);
  colours.diffuse_reflection.a = layer.a;
  colours.diffuse_transmission = scaled(layer, opacity, clear);
  return colours;
}

} // namespace vt
