// The four stateless optics routines both glass shaders stand on. Each writes
// only through the pointers its caller passes.
#ifndef VITREL_MODULE_OPTICS_OPTICS_H
#define VITREL_MODULE_OPTICS_OPTICS_H

#include <vitrel/host/state.h>

namespace glass {

// Settles on which side of the glass the ray arrives, the index on each side
// and the volume a refracted ray will travel through. Writes the indices to
// the two outputs and to the state's ior_in / ior_out, and the state's
// refraction_volume. Returns 1 when the ray enters the glass, 0 when it leaves.
int set_refraction_indices(HostState *state, float glass_index, float outside_index,
                           float *incident_index_out, float *transmitted_index_out);

// Attenuates r, g and b of `colour` in place by `absorption` raised to
// density times distance (Beer's law); the alpha is left alone.
void absorb_color(Colour *colour, const Colour &absorption, float density, double distance);

// The spectral weight of a dispersion sample at t in [0, 1]: red, green and
// blue triangles of height 4 that average to white over [0, 1]. Writes r, g, b.
void spectrum_color(Colour *out, float t);

// Tilts `in` towards a random unit vector made from s1 (height) and s2 (angle)
// by `amount` (0 keeps the direction, 2 replaces it) and normalises the blend.
// `out` may alias `in`.
void jitter_direction(Vector *out, const Vector *in, float amount, float s1, float s2);

} // namespace glass

#endif
