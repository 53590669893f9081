// Checker and noise textures, for diffuse colours and connected glass fields.
#ifndef VITREL_RENDER_SHADING_TEXTURES_H
#define VITREL_RENDER_SHADING_TEXTURES_H

#include "scene/scene.h"

namespace vr {

// The texture's value at a surface point: a checker over (u, v), a noise over
// the object's own space.
Colour eval_texture(const Texture &t, double u, double v, V3 object_point);

// Gradient noise in [-1, 1] (Perlin's improved noise), 0 on the lattice.
double gradient_noise(V3 p);
// Octaves of noise mapped to [0, 1].
double fractal_noise(V3 p, int octaves);

} // namespace vr

#endif
