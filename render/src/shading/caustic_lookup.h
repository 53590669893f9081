// How diffuse shading reaches the caustic photon map. The map is built by the
// photon pass, which traces through this layer and so sits above it; the pass
// hands down a plain function and the map it reads.
#ifndef VITREL_RENDER_SHADING_CAUSTIC_LOOKUP_H
#define VITREL_RENDER_SHADING_CAUSTIC_LOOKUP_H

#include "abi/host_values.h"

namespace vr {

struct CausticLookup {
  const void *map = nullptr; // null: caustics are off
  // Caustic irradiance over pi at `point` on a surface whose normal faces the
  // viewer along `normal` (albedo times it is the reflected radiance).
  Colour (*irradiance)(const void *map, V3 point, V3 normal) = nullptr;
  // The photons have splatted the caustics of diffuse surfaces the camera
  // sees directly onto the picture, so a camera ray's own hit leaves them out.
  bool splatted = false;
};

} // namespace vr

#endif
