// A photon's way from hit to hit: the renderer's side of the photon
// continuations (mi_photon_reflection_specular and the three others), and
// what each surface does with a photon that reaches it.
#ifndef VITREL_RENDER_PHOTON_PHOTON_PATH_H
#define VITREL_RENDER_PHOTON_PHOTON_PATH_H

#include "shading/render_state.h"

namespace vr {

// Carries a photon on from `from` (a hit, or the state of the light itself)
// along `dir` with `energy`: traces it as a photon of `ray_type`, shades its
// next hit with that surface's photon shader and answers whether it hit
// something. A photon that has already scattered photon_depth times, or that
// hits nothing, goes no further (false).
bool continue_photon(RenderState &from, int32_t ray_type, Colour energy, V3 dir);

// What a photon hit does: glass runs the module's vitrel_photon with the
// energy; the renderer's diffuse material stores a caustic photon, one that
// has been through or off glass since it left its light, splats it to the
// camera where the camera sees it directly, and absorbs every photon (light
// that reaches a diffuse surface straight from a light is the light loop's,
// and the map holds caustics only). A surface that the photon's light does
// not illuminate absorbs it: a light throws no caustic through an object it
// does not light, nor onto one.

// Whether the photon that reached s came straight from its light: the hit's
// own ray type, past any photon passing through transparency, is that of a
// photon leaving a light. Every scatter sends the photon on with the type of
// that scatter, so a photon off or through glass even once is a caustic one.
bool straight_from_light(const RenderState &s);

} // namespace vr

#endif
