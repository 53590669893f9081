// What a ray that leaves the scene sees.
#ifndef VITREL_RENDER_SHADING_ENVIRONMENT_H
#define VITREL_RENDER_SHADING_ENVIRONMENT_H

#include "scene/scene.h"

namespace vr {

// The environment's radiance along the unit direction, with its alpha.
// Lat-long images: u runs with the azimuth from -z towards +x, v from the
// zenith (top row) to the nadir.
Colour environment_colour(const Environment &env, V3 dir);

} // namespace vr

#endif
