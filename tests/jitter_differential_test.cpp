// The module's direction jitter, with its own sine and cosine, against the
// same construction on the C library's sin and cos: the single-precision
// components it stores must be the same in all but one in a million inputs
// and never more than 1 ulp apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

#include "differential.h"
#include "optics/optics.h"

namespace {

using differential::Inputs;
using differential::Tally;

double wide(float v) { return v; }
// A stored single-precision value. Through a volatile, so that no optimiser
// can keep it wide: a vectoriser that drops a rounding in the module then
// shows here rather than repeating itself in the reference.
float single(double v) {
  volatile float stored = static_cast<float>(v);
  return stored;
}

// The jitter as written out, on the C library's sin and cos: a random unit
// vector from s1 (height) and s2 (angle), blended with `in` and normalised.
Vector reference_jitter(const Vector &in, float amount, float s1, float s2) {
  const double h = wide(amount) * 0.5;
  const float w = single(1.0 - h);
  const float z = single(2.0 * s1 - 1.0);
  const float phi = single(wide(s2) * 6.2831855f);
  const float z2 = single(wide(z) * z);
  const float r = single(std::sqrt(std::max(0.0, 1.0 - wide(z2))));
  double ux = r * std::cos(wide(phi)), uy = r * std::sin(wide(phi));
  float uz = z;
  const double l = std::sqrt(ux * ux + uy * uy + wide(z2));
  if (l != 0.0) {
    ux *= 1.0 / l;
    uy *= 1.0 / l;
    uz = single(uz * (1.0 / l));
  }
  Vector b{single(w * wide(in.x) + h * ux), single(w * wide(in.y) + h * uy),
           single(w * wide(in.z) + h * uz)};
  const double m = std::sqrt(wide(b.x) * b.x + wide(b.y) * b.y + wide(b.z) * b.z);
  if (m != 0.0) b = {single(b.x * (1.0 / m)), single(b.y * (1.0 / m)), single(b.z * (1.0 / m))};
  return b;
}

void compare(Tally *t, const Vector &in, float amount, float s1, float s2) {
  Vector out{};
  glass::jitter_direction(&out, &in, amount, s1, s2);
  const Vector ref = reference_jitter(in, amount, s1, s2);
  t->add(out.x, ref.x);
  t->add(out.y, ref.y);
  t->add(out.z, ref.z);
}

TEST(JitterDifferential, TenMillionComponentsAgreeWithTheCLibrary) {
  Inputs in(0x5eed0002);
  Tally t;
  for (long i = 0; i < differential::kInputs / 3; ++i) {
    const Vector dir{in.single(in.uniform(-1, 1)), in.single(in.uniform(-1, 1)),
                     in.single(in.uniform(-1, 1))};
    const float amount = in.chance(0.2) ? 2.0f : in.single(in.uniform(0, 2));
    compare(&t, dir, amount, in.single(in.uniform(0, 1)), in.single(in.uniform(0, 1)));
  }
  std::cout << "jitter against the C library: " << t << "\n";
  EXPECT_LE(t.differing * 1'000'000, t.compared);
  EXPECT_LE(t.farthest, 1);
}

// Every angle a sample value in [0, 1] can give lies in [0, 2 pi]; these
// sweep it through the quadrant boundaries, and samples beyond [0, 1], far
// beyond (where the C library takes over), infinite and NaN.
TEST(JitterDifferential, EdgesAgreeWithTheCLibrary) {
  const float quarter = 0.25f;
  const float s2s[] = {0.0f,
                       quarter,
                       0.5f,
                       0.75f,
                       1.0f,
                       std::nextafter(quarter, 0.0f),
                       std::nextafter(quarter, 1.0f),
                       std::nextafter(0.5f, 0.0f),
                       std::nextafter(1.0f, 0.0f),
                       std::numeric_limits<float>::denorm_min(),
                       -0.3f,
                       1.5f,
                       1e3f,
                       1e4f,
                       1e5f,
                       1e30f,
                       std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN()};
  const float s1s[] = {0.0f, 0.5f, 1.0f, 0.25f, 1.5f};
  const float amounts[] = {0.0f, 1.0f, 2.0f, 0.3f};
  const Vector dirs[] = {{0, 0, 1}, {-1, 0, 0}, {0.3f, -0.2f, 0.9f}};
  Tally t;
  for (float s2 : s2s)
    for (float s1 : s1s)
      for (float amount : amounts)
        for (const Vector &dir : dirs) compare(&t, dir, amount, s1, s2);
  std::cout << "jitter edges against the C library: " << t << "\n";
  EXPECT_EQ(t.differing, 0);
}

} // namespace
