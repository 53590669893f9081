// How the renderer counts a ray's depth by its type. Ray types are the
// interface's one numbering (VitrelRayType in <vitrel/host/state.h>): the
// renderer's states carry them in HostState::ray_type and name them by it.
#ifndef VITREL_RENDER_SHADING_RAY_KINDS_H
#define VITREL_RENDER_SHADING_RAY_KINDS_H

#include <cstdint>

#include <vitrel/host/state.h>

namespace vr {

// Mirrored rays and photons raise the reflection level; a photon sent on by a
// scatter carries the scatter's own type.
inline bool is_reflection(int32_t t) {
  return t == VITREL_RAY_REFLECT || t == VITREL_RAY_PHOTON_REFLECT_SPECULAR ||
         t == VITREL_RAY_PHOTON_REFLECT_GLOSSY || t == VITREL_RAY_PHOTON_REFLECT_DIFFUSE;
}

// Refracted rays and transmitted photons raise the refraction level and travel
// in the medium the parent's shader named for them.
inline bool is_refraction(int32_t t) {
  return t == VITREL_RAY_REFRACT || t == VITREL_RAY_PHOTON_TRANSMIT_SPECULAR ||
         t == VITREL_RAY_PHOTON_TRANSMIT_GLOSSY || t == VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE;
}

} // namespace vr

#endif
