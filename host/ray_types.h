// The sets of ray types the module tells apart, each written once.
#ifndef VITREL_HOST_RAY_TYPES_H
#define VITREL_HOST_RAY_TYPES_H

#include <cstdint>
#include <initializer_list>

#include "host/state.h"

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

// Photons, which the photon body shades whichever export the host called.
// Beside the contiguous range the renderer has four photon types of its own
// (18, 23, 24, 27) that the glass never tells apart further.
constexpr RayTypeSet kPhotonRays =
    ray_type_set({8, 9, 10, 11, 12, 13, 14, 15, 18, VITREL_RAY_PHOTON_TRANSPARENT, 23, 24, 27});

// Rays the material body declines at once.
constexpr RayTypeSet kUnshadedRays =
    ray_type_set({VITREL_RAY_LIGHT, VITREL_RAY_SHADOW, VITREL_RAY_GATHER});

// Rays that pass through a surface; the entry walk of the refraction indices
// looks for these to find where a ray went into the glass.
constexpr RayTypeSet kPassThroughRays =
    ray_type_set({VITREL_RAY_TRANSPARENT, VITREL_RAY_REFRACT, VITREL_RAY_PHOTON_TRANSMIT_SPECULAR,
                  VITREL_RAY_PHOTON_TRANSMIT_GLOSSY, VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE,
                  VITREL_RAY_PHOTON_TRANSPARENT});

static_assert(VITREL_RAY_PHOTON_FIRST == 8 && VITREL_RAY_PHOTON_LAST == 15,
              "the photon range is spelled out in kPhotonRays");

} // namespace glass

#endif
