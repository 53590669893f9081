// Beer's-law absorption of a colour over a distance.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "optics/optics.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

Colour absorbed(Colour x, Colour absorption, float density, double distance) {
  glass::absorb_color(&x, absorption, density, distance);
  return x;
}

TEST(Absorb, HalfChannelOverTwoUnitsQuarters) {
  const Colour c = absorbed({1.0f, 0.8f, 0.4f, 0.3f}, {0.5f, 0.5f, 0.5f, 0.0f}, 1.0f, 2.0);
  EXPECT_FLOAT_EQ(c.r, 0.25f);
  EXPECT_FLOAT_EQ(c.g, 0.2f);
  EXPECT_FLOAT_EQ(c.b, 0.1f);
  EXPECT_EQ(c.a, 0.3f); // never touched
  // Density 0 absorbs nothing.
  const Colour d = absorbed({1.0f, 0.8f, 0.4f, 0.3f}, {0.5f, 0.5f, 0.5f, 0.0f}, 0.0f, 2.0);
  EXPECT_EQ(d.r, 1.0f);
  EXPECT_EQ(d.g, 0.8f);
}

TEST(Absorb, ChannelsAreIndependent) {
  const Colour c = absorbed({1.0f, 1.0f, 1.0f, 1.0f}, {0.5f, 1.0f, 0.25f, 1.0f}, 2.0f, 1.0);
  EXPECT_FLOAT_EQ(c.r, 0.25f);
  EXPECT_EQ(c.g, 1.0f);
  EXPECT_FLOAT_EQ(c.b, 0.0625f);
}

TEST(Absorb, ExactlyOneNeverAbsorbs) {
  for (float density : {0.0f, 1.0f, 1e30f, kInf, kNaN, -3.0f})
    for (double distance : {0.0, 1.0, 1e6, 1e300}) {
      const Colour c =
          absorbed({0.7f, 0.7f, 0.7f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, density, distance);
      EXPECT_EQ(c.r, 0.7f) << density << " " << distance;
    }
  // Just below 1 does absorb: the test is on the exact value.
  const Colour c =
      absorbed({1.0f, 1.0f, 1.0f, 1.0f}, {std::nextafter(1.0f, 0.0f), 1, 1, 1}, 1.0f, 1e9);
  EXPECT_LT(c.r, 1.0f);
}

TEST(Absorb, ZeroChannelBlacksOutFromDistanceOne) {
  for (float zero : {0.0f, -0.0f})
    for (float density : {0.0f, 1e-30f, 1.0f}) {
      EXPECT_EQ(absorbed({0.9f, 0, 0, 1}, {zero, 1, 1, 1}, density, 1.0).r, 0.0f);
      EXPECT_EQ(absorbed({0.9f, 0, 0, 1}, {zero, 1, 1, 1}, density, 1000.0).r, 0.0f);
      EXPECT_EQ(absorbed({0.9f, 0, 0, 1}, {zero, 1, 1, 1}, density, 0.0).r, 0.9f);
    }
}

TEST(Absorb, ChannelAboveOneGrowsWithDistance) {
  EXPECT_FLOAT_EQ(absorbed({0.5f, 0, 0, 1}, {2.0f, 1, 1, 1}, 1.0f, 3.0).r, 4.0f);
  EXPECT_FLOAT_EQ(absorbed({0.5f, 0, 0, 1}, {2.0f, 1, 1, 1}, 0.5f, 2.0).r, 1.0f);
}

TEST(Absorb, DistanceEntersInSinglePrecision) {
  // 1 + 2^-30 rounds to 1 in single precision: the factor is exactly 0.5.
  const Colour c = absorbed({1.0f, 0, 0, 1}, {0.5f, 1, 1, 1}, 1.0f, 1.0 + std::ldexp(1.0, -30));
  EXPECT_EQ(c.r, 0.5f);
}

TEST(Absorb, ResultsStayFinite) {
  // Growth is capped at the largest finite value.
  EXPECT_EQ(absorbed({0.5f, 0, 0, 1}, {2.0f, 1, 1, 1}, 1.0f, 1e6).r, FLT_MAX);
  EXPECT_EQ(absorbed({-0.5f, 0, 0, 1}, {2.0f, 1, 1, 1}, 1.0f, 1e6).r, -FLT_MAX);
  // Zero times an overflowing factor stays zero rather than NaN.
  EXPECT_EQ(absorbed({0.0f, 0, 0, 1}, {2.0f, 1, 1, 1}, 1.0f, 1e6).r, 0.0f);
  // A density of 0 at an infinite distance absorbs nothing.
  EXPECT_EQ(absorbed({0.3f, 0, 0, 1}, {0.5f, 1, 1, 1}, 0.0f, kInf).r, 0.3f);
}

TEST(Absorb, NegativeOrNaNChannelAbsorbsLikeZero) {
  for (float channel : {-0.5f, -2.0f, kNaN}) {
    EXPECT_EQ(absorbed({0.9f, 0, 0, 1}, {channel, 1, 1, 1}, 1.0f, 1.0).r, 0.0f) << channel;
    EXPECT_EQ(absorbed({0.9f, 0, 0, 1}, {channel, 1, 1, 1}, 1.0f, 0.0).r, 0.9f) << channel;
  }
}

} // namespace
