// Small vector helpers shared by the optics routines and the shaders.
#ifndef VITREL_MODULE_OPTICS_VECTOR_MATH_H
#define VITREL_MODULE_OPTICS_VECTOR_MATH_H

#include <cmath>

#include "optics/precision.h"

namespace glass {

// Dot product formed in double precision from the single-precision components.
inline double dot(const Vector &a, const Vector &b) {
  return wide(a.x) * b.x + wide(a.y) * b.y + wide(a.z) * b.z;
}

// Scales v to unit length: the length and its reciprocal are formed in double
// precision and each component is stored back in single precision. The zero
// vector has no direction and is left as it is.
inline void normalize(Vector *v) {
  const double length = square_root(dot(*v, *v));
  if (length == 0.0) return;
  const double inv = 1.0 / length;
  v->x = to_single(v->x * inv);
  v->y = to_single(v->y * inv);
  v->z = to_single(v->z * inv);
}

} // namespace glass

#endif
