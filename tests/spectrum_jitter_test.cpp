// Spectral weights of dispersion samples and the jitter of blurred directions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "optics/optics.h"

namespace {

Colour spectrum(float t) {
  Colour c{-9.0f, -9.0f, -9.0f, 0.5f};
  glass::spectrum_color(&c, t);
  EXPECT_EQ(c.a, 0.5f); // alpha is not written
  return c;
}

void expect_rgb(const Colour &c, float r, float g, float b) {
  EXPECT_FLOAT_EQ(c.r, r);
  EXPECT_FLOAT_EQ(c.g, g);
  EXPECT_FLOAT_EQ(c.b, b);
}

TEST(Spectrum, TrianglesPeakAtTheQuarters) {
  expect_rgb(spectrum(0.0f), 0, 0, 0);
  expect_rgb(spectrum(1.0f), 0, 0, 0);
  expect_rgb(spectrum(0.125f), 2, 0, 0);
  expect_rgb(spectrum(0.375f), 2, 2, 0);
  expect_rgb(spectrum(0.625f), 0, 2, 2);
  expect_rgb(spectrum(0.875f), 0, 0, 2);
  // Breakpoints belong to the upper row.
  expect_rgb(spectrum(0.25f), 4, 0, 0);
  expect_rgb(spectrum(0.5f), 0, 4, 0);
  expect_rgb(spectrum(0.75f), 0, 0, 4);
}

TEST(Spectrum, OutsideTheRangeNothingIsClamped) {
  EXPECT_FLOAT_EQ(spectrum(-0.25f).r, -4.0f);
  EXPECT_FLOAT_EQ(spectrum(1.25f).b, -4.0f);
  // NaN fails every comparison and lands in the blue row.
  const Colour c = spectrum(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(c.r, 0.0f);
  EXPECT_EQ(c.g, 0.0f);
  EXPECT_TRUE(std::isnan(c.b));
}

TEST(Spectrum, EvenlySpreadSamplesAverageToWhite) {
  const int n = 4000;
  double r = 0, g = 0, b = 0;
  for (int i = 0; i < n; ++i) {
    const Colour c = spectrum((i + 0.5f) / n);
    r += c.r;
    g += c.g;
    b += c.b;
  }
  EXPECT_NEAR(r / n, 1.0, 1e-4);
  EXPECT_NEAR(g / n, 1.0, 1e-4);
  EXPECT_NEAR(b / n, 1.0, 1e-4);
}

Vector jitter(Vector in, float amount, float s1, float s2) {
  Vector out{99, 99, 99};
  glass::jitter_direction(&out, &in, amount, s1, s2);
  return out;
}

void expect_vector(const Vector &v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

TEST(Jitter, AmountZeroOnlyNormalises) {
  expect_vector(jitter({0, 0, 2}, 0.0f, 0.3f, 0.9f), 0, 0, 1);
  expect_vector(jitter({3, 4, 0}, 0.0f, 0.1f, 0.2f), 0.6f, 0.8f, 0);
}

TEST(Jitter, AmountTwoIsTheRandomDirection) {
  expect_vector(jitter({0, 0, 1}, 2.0f, 0.5f, 0.0f), 1, 0, 0);
  expect_vector(jitter({5, 5, 5}, 2.0f, 1.0f, 0.37f), 0, 0, 1);
  expect_vector(jitter({5, 5, 5}, 2.0f, 0.0f, 0.81f), 0, 0, -1);
  expect_vector(jitter({0, 0, 1}, 2.0f, 0.5f, 0.25f), 0, 1, 0);
}

TEST(Jitter, AmountOneBlendsHalfAndHalf) {
  // (0, 0, 1) / 2 + (1, 0, 0) / 2, normalised.
  const float h = static_cast<float>(std::sqrt(0.5));
  expect_vector(jitter({0, 0, 1}, 1.0f, 0.5f, 0.0f), h, 0, h);
  // Opposite directions cancel: the zero vector is kept, not divided by.
  const Vector v = jitter({-1, 0, 0}, 1.0f, 0.5f, 0.0f);
  EXPECT_EQ(v.x, 0.0f);
  EXPECT_EQ(v.y, 0.0f);
  EXPECT_EQ(v.z, 0.0f);
}

TEST(Jitter, AmountAboveTwoLeansAway) {
  const Vector v = jitter({0, 0, 1}, 3.0f, 0.5f, 0.0f);
  EXPECT_LT(v.z, 0.0f);
  EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0, 1e-6);
}

TEST(Jitter, ResultsAreUnitLengthOverTheSquare) {
  for (int i = 0; i <= 16; ++i)
    for (int j = 0; j <= 16; ++j) {
      const Vector v = jitter({0.2f, -0.3f, 0.9f}, 0.7f, i / 16.0f, j / 16.0f);
      EXPECT_NEAR(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z), 1.0, 1e-6);
    }
}

TEST(Jitter, OutputMayAliasInput) {
  Vector in{0.3f, -0.2f, 0.9f};
  const Vector apart = jitter(in, 0.6f, 0.27f, 0.71f);
  glass::jitter_direction(&in, &in, 0.6f, 0.27f, 0.71f);
  EXPECT_EQ(in.x, apart.x);
  EXPECT_EQ(in.y, apart.y);
  EXPECT_EQ(in.z, apart.z);
}

TEST(Jitter, SamplesOutsideTheSquareGiveAPoleNotNaN) {
  const Vector v = jitter({0, 0, 1}, 2.0f, 1.5f, 0.3f);
  EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z));
  expect_vector(v, 0, 0, 1);
}

} // namespace
