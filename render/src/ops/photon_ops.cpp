// Photon operations. This renderer traces no photons yet (the photon map
// comes with caustics), so the continuations answer that the photon was not
// carried on and nothing is stored; the directions are computed for real.
#include "ops/export.h"
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

VR_HOST_OPERATION int mi_transmission_dir_specular(Vector *out, HostState *state, float ior_in,
                                                   float ior_out) {
  V3 t;
  if (!refract(to_v3(state->direction), to_v3(state->normal), ior_in, ior_out, &t)) return 0;
  *out = to_vector(t);
  return 1;
}

VR_HOST_OPERATION void mi_transmission_dir_diffuse(Vector *out, HostState *state) {
  *out = to_vector(diffuse_about(*render_state(state), -to_v3(state->normal)));
}

VR_HOST_OPERATION int mi_photon_reflection_specular(Colour *, HostState *, Vector *) { return 0; }
VR_HOST_OPERATION int mi_photon_transmission_specular(Colour *, HostState *, Vector *) { return 0; }
VR_HOST_OPERATION int mi_photon_reflection_diffuse(Colour *, HostState *, Vector *) { return 0; }
VR_HOST_OPERATION int mi_photon_transmission_diffuse(Colour *, HostState *, Vector *) { return 0; }
VR_HOST_OPERATION int mi_store_photon(Colour *, HostState *) { return 0; }
