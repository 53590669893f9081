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

} // namespace vr

#endif
