// Light sampling and per-object light lists.
#ifndef VITREL_RENDER_SHADING_LIGHTS_H
#define VITREL_RENDER_SHADING_LIGHTS_H

#include <climits>

#include "shading/render_state.h"

namespace vr {

// The mi_sample_light protocol: *count is 0 on the first call for a light;
// each call that returns true delivers the next of the light's samples (one
// for a point light, the light's own count for an area light, at most
// max_samples) and advances *count. Every sample counts, so averages over
// *count are right: a sample whose light faces away from the surface or is
// blocked by a shadow ray has colour zero. The colour is what a white
// Lambertian surface facing the light would reflect: radiance = albedo *
// colour * dot_nl.
bool sample_light(RenderState &s, Tag light, int *count, Colour *colour, V3 *dir, float *dot_nl,
                  int max_samples = INT_MAX);

// The lights that illuminate the state's object (all when it names none).
// Inclusive: those of the given list the object is lit by. Exclusive: those
// the object is lit by, except the given list. The result lives in the
// state's own buffer.
void inclusive_lightlist(RenderState &s, int *n, Tag **list);
void exclusive_lightlist(RenderState &s, int *n, Tag **list);

// Direct light at a Lambertian point, per unit albedo: the sum over the
// object's lights of their averaged samples times dot_nl.
Colour direct_light(RenderState &s, int max_samples_per_light);

} // namespace vr

#endif
