// Small double-precision vector algebra for the renderer's own geometry.
// The module's records hold single precision; the renderer works in double
// and rounds only where it writes into a HostState or a Colour.
#ifndef VITREL_RENDER_CORE_VEC_H
#define VITREL_RENDER_CORE_VEC_H

#include <algorithm>
#include <cmath>

#include "host/state.h"

namespace vr {

struct V3 {
  double x = 0, y = 0, z = 0;
};

inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline V3 operator*(double s, V3 a) { return a * s; }
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(V3 a) { return std::sqrt(dot(a, a)); }
inline V3 normalize(V3 a) {
  double l = length(a);
  return l > 0 ? a * (1 / l) : a;
}
inline double max_abs(V3 a) {
  return std::max(std::max(std::fabs(a.x), std::fabs(a.y)), std::fabs(a.z));
}
inline double component(V3 a, int i) { return i == 0 ? a.x : i == 1 ? a.y : a.z; }

inline V3 to_v3(const Vector &v) { return {v.x, v.y, v.z}; }
inline Vector to_vector(V3 v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

// An orthonormal frame around a unit vector n (Duff et al. 2017, branchless).
struct Frame {
  V3 s, t, n;
};
inline Frame frame_around(V3 n) {
  double sign = std::copysign(1.0, n.z);
  double a = -1 / (sign + n.z);
  double b = n.x * n.y * a;
  return {{1 + sign * n.x * n.x * a, sign * b, -sign * n.x}, {b, sign + n.y * n.y * a, -n.y}, n};
}
inline V3 from_frame(const Frame &f, V3 local) {
  return f.s * local.x + f.t * local.y + f.n * local.z;
}

// Colours: the renderer's radiance values are the module's Colour record.
inline Colour rgba(float r, float g, float b, float a = 1) { return {r, g, b, a}; }
inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a}; }
inline Colour operator*(Colour a, float s) { return {a.r * s, a.g * s, a.b * s, a.a * s}; }
// Channel product of r, g, b; the alpha of `a` is kept.
inline Colour tint(Colour a, Colour b) { return {a.r * b.r, a.g * b.g, a.b * b.b, a.a}; }
inline Colour lerp(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}
inline float average_rgb(Colour c) { return (c.r + c.g + c.b) / 3; }

constexpr double kPi = 3.14159265358979323846;

} // namespace vr

#endif
