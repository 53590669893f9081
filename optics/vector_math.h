// Small vector helpers shared by the optics routines and the shaders.
#ifndef VITREL_OPTICS_VECTOR_MATH_H
#define VITREL_OPTICS_VECTOR_MATH_H

#include <cmath>

#include "../host/state.h"

namespace vt {

// Dot product formed in double precision from the single-precision components.
inline double dot(const Vector &a, const Vector &b) {
  return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
         static_cast<double>(a.z) * b.z;
}

// Scales v to unit length: the length and its reciprocal are formed in double
// precision and each component is stored back in single precision. The zero
// vector has no direction and is left as it is.
inline void normalize(Vector *v) {
  const double length = std::sqrt(dot(*v, *v));
  if (length == 0.0) return;
  const double inv = 1.0 / length;
  v->x = static_cast<float>(v->x * inv);
  v->y = static_cast<float>(v->y * inv);
  v->z = static_cast<float>(v->z * inv);
}

} // namespace vt

#endif
