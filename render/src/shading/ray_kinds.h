// The renderer's ray types, as the shaders see them in HostState::ray_type.
// Light, shadow and gather rays are among the types the glass never shades.
#ifndef VITREL_RENDER_SHADING_RAY_KINDS_H
#define VITREL_RENDER_SHADING_RAY_KINDS_H

#include "host/state.h"

namespace vr {

enum RayType : int32_t {
  kRayEye = 0,
  kRayTransparent = VITREL_RAY_TRANSPARENT,
  kRayReflect = 2,
  kRayRefract = VITREL_RAY_REFRACT,
  kRayLight = VITREL_RAY_LIGHT,
  kRayShadow = VITREL_RAY_SHADOW,
  kRayEnvironment = 6,
  kRayGather = VITREL_RAY_GATHER,
};

// Photons sent on by a scatter carry the scatter's type.
inline bool is_photon_reflection(int32_t t) {
  return t == VITREL_RAY_PHOTON_REFLECT_SPECULAR || t == VITREL_RAY_PHOTON_REFLECT_GLOSSY ||
         t == VITREL_RAY_PHOTON_REFLECT_DIFFUSE;
}
inline bool is_photon_transmission(int32_t t) {
  return t == VITREL_RAY_PHOTON_TRANSMIT_SPECULAR || t == VITREL_RAY_PHOTON_TRANSMIT_GLOSSY ||
         t == VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE;
}

} // namespace vr

#endif
