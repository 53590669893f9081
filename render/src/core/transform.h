// Affine transforms of objects and lights: a 3x4 row-major matrix.
#ifndef VITREL_RENDER_CORE_TRANSFORM_H
#define VITREL_RENDER_CORE_TRANSFORM_H

#include "core/vec.h"

namespace vr {

struct Transform {
  // m[row][col]; column 3 is the translation.
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
};

Transform translation(V3 t);
Transform scaling(V3 s);
// Rotation by Euler angles in degrees, applied about x, then y, then z.
Transform rotation_xyz(V3 degrees);
// a after b: points go through b first.
Transform compose(const Transform &a, const Transform &b);
// False when the linear part is singular (a zero scale).
bool invert(const Transform &t, Transform *out);

V3 apply_point(const Transform &t, V3 p);
V3 apply_vector(const Transform &t, V3 v);
// Normals go through the inverse transpose; `inverse` is the inverse of the
// transform that moved the surface.
V3 apply_normal(const Transform &inverse, V3 n);

} // namespace vr

#endif
