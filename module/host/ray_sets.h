// The sets of ray types the module tells apart, each written once.
#ifndef VITREL_MODULE_HOST_RAY_SETS_H
#define VITREL_MODULE_HOST_RAY_SETS_H

#include <cstdint>
#include <initializer_list>

#include <vitrel/host/state.h>

namespace glass {

using RayTypeSet = uint32_t; // bit t set: ray type t belongs to the set

constexpr RayTypeSet ray_type_set(std::initializer_list<int> types) {
  RayTypeSet set = 0;
  for (int t : types) set |= RayTypeSet{1} << t;
  return set;
}

// Every ray type outside 0..31 lies in no set.
constexpr bool in_set(RayTypeSet set, int32_t ray_type) {
  return ray_type >= 0 && ray_type < 32 && ((set >> ray_type) & 1u) != 0;
}

// Photons, which the photon body shades whichever export the host called,
// the renderer's own photon kinds among them.
constexpr RayTypeSet kPhotonRays = ray_type_set(
    {VITREL_RAY_PHOTON, VITREL_RAY_PHOTON_FROM_LIGHT, VITREL_RAY_PHOTON_REFLECT_SPECULAR,
     VITREL_RAY_PHOTON_REFLECT_GLOSSY, VITREL_RAY_PHOTON_REFLECT_DIFFUSE,
     VITREL_RAY_PHOTON_TRANSMIT_SPECULAR, VITREL_RAY_PHOTON_TRANSMIT_GLOSSY,
     VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE, VITREL_RAY_PHOTON_HOST_18, VITREL_RAY_PHOTON_TRANSPARENT,
     VITREL_RAY_PHOTON_HOST_23, VITREL_RAY_PHOTON_HOST_24, VITREL_RAY_PHOTON_HOST_27});

// Rays the material body declines at once.
constexpr RayTypeSet kUnshadedRays =
    ray_type_set({VITREL_RAY_LIGHT, VITREL_RAY_SHADOW, VITREL_RAY_GATHER});

// Rays that pass through a surface; the entry walk of the refraction indices
// looks for these to find where a ray went into the glass.
constexpr RayTypeSet kPassThroughRays =
    ray_type_set({VITREL_RAY_TRANSPARENT, VITREL_RAY_REFRACT, VITREL_RAY_PHOTON_TRANSMIT_SPECULAR,
                  VITREL_RAY_PHOTON_TRANSMIT_GLOSSY, VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE,
                  VITREL_RAY_PHOTON_TRANSPARENT});

} // namespace glass

#endif
