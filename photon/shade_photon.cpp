// The fate of a photon hitting the glass. The renderer chooses it by odds the
// glass sets: the Fresnel reflectance of the clear glass, and the share and
// colour of the opaque layer, which scatters diffusely.
#include "../host/ops.h"
#include "../shader/dispatch.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

namespace {

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
  // absorption of a specular photon later must agree.
  const int32_t outside_medium = param(state, params->outside_medium);
  const float opacity = read_opacity(state, params);
  const PhotonSides sides = settle_photon_indices(state, params, outside_medium);
  const float fresnel = mi_fresnel_reflection(state, sides.ior_in, sides.ior_out);
  const float reflectance = boost_reflectance(state, params, fresnel);
  ScatterColours colours = split_energy(state, params, opacity, reflectance);
  store_where_diffuse(energy, state, colours);
  const int type = choose_scatter_type(state, &colours);
  return act_on(type, colours, PhotonHit{energy, state, params, Colour{}, outside_medium, sides});
}

} // namespace vt
