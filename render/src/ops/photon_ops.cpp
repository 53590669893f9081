// Photon operations: the directions a scattered photon takes, the
// continuations that trace it on from the glass (each answers whether the
// photon hit something), and the store.
#include "ops/export.h"
#include "photon/photon_path.h"
#include "photon/stored_photon.h"
#include "sampler/path_sampling.h"
#include "shading/surface_optics.h"

using namespace vr;

namespace {

V3 diffuse_about(RenderState &s, V3 n) {
  double u1 = draw_uniform(s.path), u2 = draw_uniform(s.path);
  return from_frame(frame_around(normalize(n)), cosine_hemisphere(u1, u2));
}

} // namespace

VR_HOST_OPERATION void mi_reflection_dir_specular(Vector *out, HostState *state) {
  *out = to_vector(reflect(to_v3(state->direction), to_v3(state->normal)));
}

VR_HOST_OPERATION void mi_reflection_dir_diffuse(Vector *out, HostState *state) {
  *out = to_vector(diffuse_about(*render_state(state), to_v3(state->normal)));
}

// Under total internal reflection (a dispersed index can reach it where the
// undispersed one let the photon through) the light of that wavelength is
// all reflected, so the photon is given the mirror direction, and false.
VR_HOST_OPERATION int mi_transmission_dir_specular(Vector *out, HostState *state, float ior_in,
                                                   float ior_out) {
  V3 d = to_v3(state->direction), n = to_v3(state->normal), t;
  if (!refract(d, n, ior_in, ior_out, &t)) {
    *out = to_vector(reflect(d, n));
    return 0;
  }
  *out = to_vector(t);
  return 1;
}

VR_HOST_OPERATION void mi_transmission_dir_diffuse(Vector *out, HostState *state) {
  *out = to_vector(diffuse_about(*render_state(state), -to_v3(state->normal)));
}

namespace {

int carry_on(Colour *energy, HostState *state, Vector *dir, int32_t ray_type) {
  if (energy == nullptr || dir == nullptr) return 0;
  return continue_photon(*render_state(state), ray_type, *energy, to_v3(*dir)) ? 1 : 0;
}

} // namespace

VR_HOST_OPERATION int mi_photon_reflection_specular(Colour *energy, HostState *state, Vector *dir) {
  return carry_on(energy, state, dir, VITREL_RAY_PHOTON_REFLECT_SPECULAR);
}

VR_HOST_OPERATION int mi_photon_transmission_specular(Colour *energy, HostState *state,
                                                      Vector *dir) {
  return carry_on(energy, state, dir, VITREL_RAY_PHOTON_TRANSMIT_SPECULAR);
}

VR_HOST_OPERATION int mi_photon_reflection_diffuse(Colour *energy, HostState *state, Vector *dir) {
  return carry_on(energy, state, dir, VITREL_RAY_PHOTON_REFLECT_DIFFUSE);
}

VR_HOST_OPERATION int mi_photon_transmission_diffuse(Colour *energy, HostState *state,
                                                     Vector *dir) {
  return carry_on(energy, state, dir, VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE);
}

// Stores at the state's hit during the photon pass; at any other time there
// is no map being built and nothing is stored.
VR_HOST_OPERATION int mi_store_photon(Colour *energy, HostState *state) {
  if (energy == nullptr) return 0;
  return store_photon(*render_state(state), *energy) ? 1 : 0;
}
