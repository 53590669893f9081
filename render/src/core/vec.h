// Small double-precision vector algebra for the renderer's own geometry.
#ifndef VITREL_RENDER_CORE_VEC_H
#define VITREL_RENDER_CORE_VEC_H

#include <algorithm>
#include <cmath>

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

constexpr double kPi = 3.14159265358979323846;

} // namespace vr

#endif
