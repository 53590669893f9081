#include <algorithm>
#include <cmath>

#include "optics.h"
#include "vector_math.h"

namespace vt {

namespace {

// 2 pi as the nearest single-precision value; the angle is formed with it.
constexpr float kTwoPi = 6.2831855f;

struct RandomUnit {
  double x, y; // kept wide: only the blend rounds them
  float z;
};

// A direction spread evenly over the sphere for s1, s2 spread evenly over [0, 1).
RandomUnit random_unit_vector(float s1, float s2) {
  const float z = static_cast<float>(2.0 * s1 - 1.0);
  const float phi = static_cast<float>(static_cast<double>(s2) * kTwoPi);
  const float z2 = static_cast<float>(static_cast<double>(z) * z);
  // A sample outside [0, 1] would put z beyond the poles; clamping keeps the
  // root real, so such a sample gives a pole instead of NaN.
  const float r = static_cast<float>(std::sqrt(std::max(0.0, 1.0 - static_cast<double>(z2))));
  RandomUnit u{r * std::cos(static_cast<double>(phi)), r * std::sin(static_cast<double>(phi)), z};
  // Only corrects rounding: the length is 1 up to it.
  const double length = std::sqrt(u.x * u.x + u.y * u.y + static_cast<double>(z2));
  if (length != 0.0) {
    const double inv = 1.0 / length;
    u.x *= inv;
    u.y *= inv;
    u.z = static_cast<float>(u.z * inv);
  }
  return u;
}

} // namespace

void jitter_direction(Vector *out, const Vector *in, float amount, float s1, float s2) {
  const double h = static_cast<double>(amount) * 0.5;
  const float w = static_cast<float>(1.0 - h);
  const RandomUnit u = random_unit_vector(s1, s2);

  // Each component of out depends on the same component of in alone, so out
  // may alias in.
  Vector blend;
  blend.x = static_cast<float>(w * static_cast<double>(in->x) + h * u.x);
  blend.y = static_cast<float>(w * static_cast<double>(in->y) + h * u.y);
  blend.z = static_cast<float>(w * static_cast<double>(in->z) + h * u.z);

  normalize(&blend);
  *out = blend;
}

} // namespace vt
