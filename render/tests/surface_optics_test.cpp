// The optics behind the direction and Fresnel operations.
#include <cmath>
#include <gtest/gtest.h>

#include "shading/surface_optics.h"

namespace vr {
namespace {

V3 from_angle(double degrees) { // incident direction at `degrees` from the normal +z
  double a = degrees * kPi / 180;
  return {std::sin(a), 0, -std::cos(a)};
}

TEST(Optics, ReflectionMirrorsAboutTheNormal) {
  V3 r = reflect(from_angle(30), {0, 0, 1});
  EXPECT_NEAR(r.x, std::sin(kPi / 6), 1e-12);
  EXPECT_NEAR(r.z, std::cos(kPi / 6), 1e-12);
  V3 same = reflect(from_angle(30), {0, 0, -1}); // the normal's side does not matter
  EXPECT_NEAR(same.z, r.z, 1e-12);
}

TEST(Optics, RefractionFollowsSnell) {
  for (double angle : {0.0, 10.0, 35.0, 60.0, 89.0}) {
    V3 t;
    ASSERT_TRUE(refract(from_angle(angle), {0, 0, 1}, 1.0, 1.5, &t)) << angle;
    double sin_t = std::hypot(t.x, t.y);
    EXPECT_NEAR(1.5 * sin_t, std::sin(angle * kPi / 180), 1e-12) << angle;
    EXPECT_LT(t.z, 0); // onward, through the surface
    EXPECT_NEAR(length(t), 1, 1e-12);
    EXPECT_GE(t.x, 0); // in the plane of incidence, same side
  }
  // From the dense side: bent away from the normal, then total reflection
  // past the critical angle asin(1 / 1.5) = 41.81 degrees.
  V3 t;
  ASSERT_TRUE(refract(from_angle(41.0), {0, 0, 1}, 1.5, 1.0, &t));
  EXPECT_NEAR(std::hypot(t.x, t.y), 1.5 * std::sin(41.0 * kPi / 180), 1e-12);
  V3 untouched{7, 7, 7};
  EXPECT_FALSE(refract(from_angle(42.0), {0, 0, 1}, 1.5, 1.0, &untouched));
  EXPECT_EQ(untouched.x, 7);
}

TEST(Optics, FresnelKnownValues) {
  EXPECT_NEAR(fresnel_dielectric(1, 1, 1.5), 0.04, 1e-12); // ((n - 1) / (n + 1))^2
  EXPECT_NEAR(fresnel_dielectric(1, 1.5, 1), 0.04, 1e-12);
  EXPECT_NEAR(fresnel_dielectric(1, 1, 1.33), std::pow(0.33 / 2.33, 2), 1e-12);
  EXPECT_NEAR(fresnel_dielectric(0, 1, 1.5), 1, 1e-12); // grazing
  // At Brewster's angle the p-polarised part vanishes: R = rs^2 / 2.
  double brewster = std::atan(1.5), ci = std::cos(brewster), ct = std::cos(kPi / 2 - brewster);
  double rs = (ci - 1.5 * ct) / (ci + 1.5 * ct);
  EXPECT_NEAR(fresnel_dielectric(ci, 1, 1.5), rs * rs / 2, 1e-12);
  // Reciprocity: the same pair of angles gives the same reflectance both ways.
  double c1 = std::cos(0.5), s2 = std::sin(0.5) / 1.5, c2 = std::sqrt(1 - s2 * s2);
  EXPECT_NEAR(fresnel_dielectric(c1, 1, 1.5), fresnel_dielectric(c2, 1.5, 1), 1e-12);
  EXPECT_EQ(fresnel_dielectric(std::cos(0.8), 1.5, 1), 1); // total internal reflection
  EXPECT_EQ(fresnel_dielectric(-1, 1, 1.5), fresnel_dielectric(1, 1, 1.5)); // either sign of cosine
}

TEST(Optics, PhongLobeIsNormalised) {
  // (e + 2) / 2pi cos^e integrates to 1 against cos over the hemisphere about
  // the mirror direction.
  for (double e : {0.0, 1.0, 10.0, 80.0}) {
    const int n = 4000;
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      double theta = (i + 0.5) / n * kPi / 2;
      V3 dir{std::sin(theta), 0, std::cos(theta)};
      sum += phong_lobe(e, {0, 0, 1}, dir) * std::cos(theta) * std::sin(theta) * (kPi / 2 / n) * 2 *
             kPi;
    }
    EXPECT_NEAR(sum, 1, 2e-3) << e;
  }
  EXPECT_EQ(phong_lobe(10, {0, 0, 1}, {0, 0, -1}), 0);
  EXPECT_NEAR(phong_lobe(-5, {0, 0, 1}, {0, 0, 1}), 1 / kPi, 1e-12); // as exponent 0
}

TEST(Optics, CosineHemisphereHasTheRightMean) {
  // E[cos theta] = 2/3 under the density cos / pi.
  double mean = 0;
  const int n = 64;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      V3 d = cosine_hemisphere((i + 0.5) / n, (j + 0.5) / n);
      ASSERT_NEAR(length(d), 1, 1e-12);
      ASSERT_GE(d.z, 0);
      mean += d.z;
    }
  EXPECT_NEAR(mean / (n * n), 2.0 / 3, 1e-3);
}

} // namespace
} // namespace vr
