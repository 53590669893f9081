// The built-in Lambertian material for floors and walls.
#ifndef VITREL_RENDER_SHADING_DIFFUSE_H
#define VITREL_RENDER_SHADING_DIFFUSE_H

#include "shading/render_state.h"

namespace vr {

// Albedo times (direct light + indirect irradiance + caustic). A gather ray's
// hit takes one sample per light and no further gather: the gather is one
// bounce.
Colour shade_diffuse(RenderState &s);

// The state's object's diffuse colour at the hit.
Colour diffuse_albedo(const RenderState &s);

} // namespace vr

#endif
