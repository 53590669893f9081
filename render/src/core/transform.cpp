#include "core/transform.h"

#include <cmath>

namespace vr {

Transform translation(V3 t) {
  Transform r;
  r.m[0][3] = t.x, r.m[1][3] = t.y, r.m[2][3] = t.z;
  return r;
}

Transform scaling(V3 s) {
  Transform r;
  r.m[0][0] = s.x, r.m[1][1] = s.y, r.m[2][2] = s.z;
  return r;
}

namespace {

Transform axis_rotation(int axis, double degrees) {
  double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
  int i = (axis + 1) % 3, j = (axis + 2) % 3;
  Transform r;
  r.m[i][i] = c, r.m[i][j] = -s;
  r.m[j][i] = s, r.m[j][j] = c;
  return r;
}

double determinant3(const Transform &t) {
  const auto &m = t.m;
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

} // namespace

Transform rotation_xyz(V3 degrees) {
  return compose(axis_rotation(2, degrees.z),
                 compose(axis_rotation(1, degrees.y), axis_rotation(0, degrees.x)));
}

Transform compose(const Transform &a, const Transform &b) {
  Transform r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) {
      double v = j == 3 ? a.m[i][3] : 0;
      for (int k = 0; k < 3; ++k) v += a.m[i][k] * b.m[k][j];
      r.m[i][j] = v;
    }
  return r;
}

bool invert(const Transform &t, Transform *out) {
  double det = determinant3(t);
  if (!(std::fabs(det) > 1e-300)) return false;
  const auto &m = t.m;
  Transform r;
  // Linear part by cofactors; translation by -inverse * t.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      r.m[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / det;
    }
  for (int i = 0; i < 3; ++i)
    r.m[i][3] = -(r.m[i][0] * m[0][3] + r.m[i][1] * m[1][3] + r.m[i][2] * m[2][3]);
  *out = r;
  return true;
}

V3 apply_point(const Transform &t, V3 p) {
  const auto &m = t.m;
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
          m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

V3 apply_vector(const Transform &t, V3 v) {
  const auto &m = t.m;
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
          m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

V3 apply_normal(const Transform &inverse, V3 n) {
  const auto &m = inverse.m;
  return {m[0][0] * n.x + m[1][0] * n.y + m[2][0] * n.z,
          m[0][1] * n.x + m[1][1] * n.y + m[2][1] * n.z,
          m[0][2] * n.x + m[1][2] * n.y + m[2][2] * n.z};
}

} // namespace vr
