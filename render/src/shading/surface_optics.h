// The optics behind the host operations, as pure functions of directions
// and indices.
#ifndef VITREL_RENDER_SHADING_SURFACE_OPTICS_H
#define VITREL_RENDER_SHADING_SURFACE_OPTICS_H

#include "core/vec.h"

namespace vr {

// Mirror image of the incident direction d about the normal n.
V3 reflect(V3 d, V3 n);

// Snell's law: the unit direction refracted from index n1 (the side d comes
// from) into n2. The normal may face either way. False on total internal
// reflection, leaving *out untouched.
bool refract(V3 d, V3 n, double n1, double n2, V3 *out);

// Unpolarised Fresnel reflectance of a dielectric interface for light
// arriving at cosine cos_i from index n1 into n2; 1 under total internal
// reflection.
double fresnel_dielectric(double cos_i, double n1, double n2);

// The normalised Phong lobe (e + 2) / 2pi * cos^e about the mirror direction;
// zero outside the lobe. A negative exponent counts as 0.
double phong_lobe(double exponent, V3 mirror, V3 dir);

// A direction about +z with density cos(theta) / pi, from two uniform numbers.
V3 cosine_hemisphere(double u1, double u2);

} // namespace vr

#endif
