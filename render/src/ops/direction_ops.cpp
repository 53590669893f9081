// Directions and Fresnel at the state's hit, from its direction and normal.
#include "ops/export.h"
#include "shading/surface_optics.h"

using namespace vr;

VR_HOST_OPERATION void mi_reflection_dir(Vector *out, HostState *state) {
  *out = to_vector(reflect(to_v3(state->direction), to_v3(state->normal)));
}

VR_HOST_OPERATION int mi_refraction_dir(Vector *out, HostState *state, float ior_in,
                                        float ior_out) {
  V3 t;
  if (!refract(to_v3(state->direction), to_v3(state->normal), ior_in, ior_out, &t)) return 0;
  *out = to_vector(t);
  return 1;
}

VR_HOST_OPERATION float mi_fresnel_reflection(HostState *state, float ior_in, float ior_out) {
  double cos_i = dot(to_v3(state->direction), normalize(to_v3(state->normal)));
  return static_cast<float>(fresnel_dielectric(cos_i, ior_in, ior_out));
}

VR_HOST_OPERATION float mi_phong_specular(float exponent, HostState *state, Vector *dir) {
  V3 n = to_v3(state->normal), l = to_v3(*dir);
  if (dot(l, n) <= 0) return 0; // a light below the surface makes no highlight
  return static_cast<float>(phong_lobe(exponent, reflect(to_v3(state->direction), n), l));
}
