// The fate of a photon hitting the glass. The renderer chooses it by odds the
// glass sets: the Fresnel reflectance of the clear glass, and the share and
// colour of the opaque layer, which scatters diffusely.
#include "photon/photon.h"
#include "shader/dispatch.h"
#include "shader/param_eval.h"
#include <vitrel/host/ops.h>

namespace glass {

namespace {

// Photons may carry indices of their own, so that caustics can be tuned apart
// from the rendered look.
Sides settle_photon_sides(HostState *state, const GlassParams *params, int32_t outside_medium) {
  const bool own = param(state, params->photon_own_ior) == 1;
  return settle_sides(state, own ? params->photon_ior : params->ior,
                      own ? params->photon_outside_ior : params->outside_ior, outside_medium,
                      OutsideIndex::any_medium);
}

float boost_reflectance(HostState *state, const GlassParams *params, float reflectance) {
  // The boost is evaluated once for the test and once more for its value,
  // and 1 - boost is divided by as it is formed, wide.
  if (!(param(state, params->reflection_boost) > 0.0f)) return reflectance;
  const double headroom = 1.0 - wide(param(state, params->reflection_boost));
  return to_single_saturated(boosted_reflectance(reflectance, headroom, BoostTest::scale_below));
}

// The renderer weighs the odds by r, g and b alone; an alpha the glass has no
// value for is 0.
Colour grey(double v) {
  const float c = to_single_saturated(v);
  return Colour{c, c, c, 0.0f};
}

Colour layer_share(const Colour &layer, double opacity, double share) {
  return Colour{to_single_saturated(product(&Colour::r, layer, opacity, share)),
                to_single_saturated(product(&Colour::g, layer, opacity, share)),
                to_single_saturated(product(&Colour::b, layer, opacity, share)), 0.0f};
}

// The opaque layer takes the share `opacity` of the photon and the clear glass
// the rest, which the Fresnel reflectance splits between mirror and refraction.
// Of the layer's share, a part `opacity` is scattered back and the rest through.
ScatterColours split_energy(HostState *state, const GlassParams *params, float opacity,
                            float reflectance) {
  ScatterColours colours{};
  // The clear share is a stored value of its own, as in the material shader's
  // blend, so both shaders split with the same single-precision 1 - opacity.
  const float clear = to_single_saturated(1.0 - wide(opacity));
  colours.specular_reflection = grey(wide(clear) * reflectance);
  colours.specular_transmission = grey((1.0 - wide(reflectance)) * clear);
  colours.has_layer = opacity != 0.0f;
  if (!colours.has_layer) return colours;

  // Only the side the photon sees is evaluated.
  const Colour layer = param(state, coating_field(*state, *params));
  colours.diffuse_reflection = layer_share(layer, opacity, opacity);
  colours.diffuse_reflection.a = layer.a;
  colours.diffuse_transmission = layer_share(layer, opacity, clear);
  return colours;
}

// The layer's direct light comes from the lights themselves; a photon straight
// from a light would count it twice, so it is not stored. Passing through
// transparency is no bounce: the nearest ancestor of another kind decides.
bool straight_from_light(const HostState *state) {
  const HostState *origin = state->parent;
  // A photon without a recorded origin is not known to come straight from a
  // light; like a transparency chain that reaches the root, it is stored.
  if (origin == nullptr) return false;
  while (origin->ray_type == VITREL_RAY_PHOTON_TRANSPARENT && origin->parent != nullptr)
    origin = origin->parent;
  return origin->ray_type == VITREL_RAY_PHOTON_FROM_LIGHT;
}

// The opaque layer shows caustics where it scatters light back diffusely. The
// diffuse colours are zero when there is no layer, so nothing is stored then.
void store_where_diffuse(Colour *energy, HostState *state, const ScatterColours &colours) {
  const Colour &d = colours.diffuse_reflection;
  if (!(d.r > 0.0f || d.g > 0.0f || d.b > 0.0f)) return;
  if (straight_from_light(state)) return;
  mi_store_photon(energy, state);
}

// Without an opaque layer the renderer is offered no diffuse scattering at all,
// which is not the same as a black layer.
int choose_scatter_type(HostState *state, ScatterColours *colours) {
  Colour *diffuse_reflection = colours->has_layer ? &colours->diffuse_reflection : nullptr;
  Colour *diffuse_transmission = colours->has_layer ? &colours->diffuse_transmission : nullptr;
  return mi_choose_simple_scatter_type(state, diffuse_reflection, &colours->specular_reflection,
                                       diffuse_transmission, &colours->specular_transmission);
}

// A photon that goes on carries the colour it was chosen by, as the renderer
// left it. Any type the glass did not offer ends the photon unemitted.
int act_on(int type, const ScatterColours &colours, PhotonHit hit) {
  switch (type) {
  case VITREL_SCATTER_ABSORB:
    return 1;
  case VITREL_SCATTER_SPECULAR_REFLECT:
    hit.chosen = colours.specular_reflection;
    return emit_specular_reflection(hit);
  case VITREL_SCATTER_DIFFUSE_REFLECT:
    hit.chosen = colours.diffuse_reflection;
    return emit_diffuse_reflection(hit);
  case VITREL_SCATTER_SPECULAR_TRANSMIT:
    hit.chosen = colours.specular_transmission;
    return emit_specular_transmission(hit);
  case VITREL_SCATTER_DIFFUSE_TRANSMIT:
    hit.chosen = colours.diffuse_transmission;
    return emit_diffuse_transmission(hit);
  default:
    return 0;
  }
}

} // namespace

int shade_photon(Colour *energy, HostState *state, const GlassParams *params) {
  // One read serves the whole photon: the outside index now and the outside
  // absorption of a specular photon later must agree (sides.outside_absorbs).
  const int32_t outside_medium = param(state, params->outside_medium);
  const float opacity = clamp_opacity(param(state, params->opacity), NanOpacity::kept);
  const Sides sides = settle_photon_sides(state, params, outside_medium);
  const float fresnel = mi_fresnel_reflection(state, sides.ior_in, sides.ior_out);
  const float reflectance = boost_reflectance(state, params, fresnel);
  ScatterColours colours = split_energy(state, params, opacity, reflectance);
  store_where_diffuse(energy, state, colours);
  const int type = choose_scatter_type(state, &colours);
  return act_on(type, colours, PhotonHit{energy, state, params, Colour{}, sides});
}

} // namespace glass
