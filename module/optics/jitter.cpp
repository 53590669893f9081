#include <algorithm>

#include "optics/optics.h"
#include "optics/sin_cos.h"
#include "optics/vector_math.h"

namespace glass {

namespace {

// 2 pi as the nearest single-precision value; the angle is formed with it.
constexpr float kTwoPi = 6.2831855f;

struct RandomUnit {
  double x, y; // kept wide: only the blend rounds them
  float z;
};

// A direction spread evenly over the sphere for s1 spread evenly over [0, 1)
// and an angle phi spread evenly over [0, 2 pi).
template <SinCos (*sin_cos)(double)>
inline RandomUnit random_unit_vector(float s1, float phi) {
  const float z = to_single(2.0 * s1 - 1.0);
  const float z2 = to_single(wide(z) * z);
  // A sample outside [0, 1] would put z beyond the poles; clamping keeps the
  // root real, so such a sample gives a pole instead of NaN.
  const float r = to_single(square_root(std::max(0.0, 1.0 - wide(z2))));
  const SinCos angle = sin_cos(wide(phi));
  RandomUnit u{r * angle.cos, r * angle.sin, z};
  // Only corrects rounding: the length is 1 up to it.
  const double length = square_root(u.x * u.x + u.y * u.y + wide(z2));
  if (length != 0.0) {
    const double inv = 1.0 / length;
    u.x *= inv;
    u.y *= inv;
    u.z = to_single(u.z * inv);
  }
  return u;
}

template <SinCos (*sin_cos)(double)>
inline void jitter_at_angle(Vector *out, const Vector *in, float amount, float s1, float phi) {
  const double h = wide(amount) * 0.5;
  const float w = to_single(1.0 - h);
  const RandomUnit u = random_unit_vector<sin_cos>(s1, phi);

  // Each component of out depends on the same component of in alone, so out
  // may alias in.
  Vector blend;
  blend.x = to_single(w * wide(in->x) + h * u.x);
  blend.y = to_single(w * wide(in->y) + h * u.y);
  blend.z = to_single(w * wide(in->z) + h * u.z);

  normalize(&blend);
  *out = blend;
}

// Angles outside the near range come only from sample values outside
// [0, 1]. Out of line and cold, and reached by a jump with the caller's own
// arguments, so that the common path keeps no frame for it.
[[gnu::noinline, gnu::cold]] void jitter_at_far_angle(Vector *out, const Vector *in, float amount,
                                                      float s1, float phi) {
  jitter_at_angle<sin_cos_far>(out, in, amount, s1, phi);
}

} // namespace

void jitter_direction(Vector *out, const Vector *in, float amount, float s1, float s2) {
  const float phi = to_single(wide(s2) * kTwoPi);
  if (!near_angle(phi)) return jitter_at_far_angle(out, in, amount, s1, phi);
  jitter_at_angle<sin_cos_near>(out, in, amount, s1, phi);
}

} // namespace glass
