// Indirect light arriving at a hit: a one-bounce hemisphere gather.
#ifndef VITREL_RENDER_SHADING_IRRADIANCE_H
#define VITREL_RENDER_SHADING_IRRADIANCE_H

#include "shading/render_state.h"

namespace vr {

// Irradiance over pi on the side of the state's normal (so that albedo times
// it is the reflected radiance): from the scene's gather_rays cosine-weighted
// rays, unless the gather is off or the state is itself a gather hit, plus
// the caustic photon map's estimate when caustics are on. Lights are not seen
// by gather rays: direct light is the lights' share.
Colour compute_irradiance(RenderState &s);

} // namespace vr

#endif
