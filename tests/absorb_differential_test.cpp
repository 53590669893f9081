// The module's absorption, with its own lane-wise logarithm and exponential,
// against the same law on the C library's log and exp: the single-precision
// channels it stores must be the same in all but one in a million inputs and
// never more than 1 ulp apart. Also the SSE2 pairs against whichever form
// absorb_color runs (the AVX2 one where the processor has it): those must
// agree exactly.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>

#include "differential.h"
#include "optics/absorb_law.h"
#include "optics/lanes.h"
#include "optics/optics.h"

namespace {

using differential::Inputs;
using differential::Tally;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kDenormal = std::numeric_limits<float>::denorm_min();

// Beer's law for one channel as written out, on the C library's log and exp:
// the reference the module is held to.
float reference_channel(float x, float c, float density, float distance) {
  uint32_t bits;
  std::memcpy(&bits, &c, sizeof bits);
  double k;
  if (bits == 0x3F800000u)
    k = 0.0;
  else if (!(c > 0.0f))
    k = static_cast<double>(1e36f);
  else
    k = -std::log(static_cast<double>(c)) * density;
  if (k == 0.0 || x == 0.0f) return x;
  const double v = static_cast<double>(x) * std::exp(-k * distance);
  // Stored as light: saturated at the largest finite float, NaN kept.
  if (std::isnan(v)) return kNaN;
  return static_cast<float>(v > FLT_MAX ? FLT_MAX : v < -FLT_MAX ? -FLT_MAX : v);
}

// The pair-lane form of the law, as every x86-64 processor runs it.
Colour pair_lanes(Colour x, const Colour &c, float density, float distance) {
  using L = glass::PairLanes;
  const float rg_x[2] = {x.r, x.g}, rg_c[2] = {c.r, c.g};
  float rg[2];
  L::to_singles(
      glass::absorbed_lanes<L>(L::from_singles(rg_x), L::from_singles(rg_c), density, distance),
      rg);
  const double b =
      L::lane0(glass::absorbed_lanes<L>(L::broadcast(x.b), L::broadcast(c.b), density, distance));
  return Colour{rg[0], rg[1], static_cast<float>(b), x.a};
}

struct Comparison {
  Tally against_c_library;
  long lane_forms_differing = 0;
};

void compare(Comparison *cmp, Colour x, Colour c, float density, float distance) {
  Colour module = x;
  glass::absorb_color(&module, c, density, distance);
  const Colour pairs = pair_lanes(x, c, density, distance);
  cmp->against_c_library.add(module.r, reference_channel(x.r, c.r, density, distance));
  cmp->against_c_library.add(module.g, reference_channel(x.g, c.g, density, distance));
  cmp->against_c_library.add(module.b, reference_channel(x.b, c.b, density, distance));
  for (float Colour::*ch : {&Colour::r, &Colour::g, &Colour::b})
    if (differential::ulps_apart(module.*ch, pairs.*ch) != 0) ++cmp->lane_forms_differing;
  EXPECT_EQ(module.a, x.a);
}

// An absorption colour channel as scenes hold them: mostly a fraction of
// light that survives, sometimes above 1, across every binary exponent.
float absorption_channel(Inputs *in) {
  const double p = in->uniform(0.0, 1.0);
  if (p < 0.6) return in->single(in->uniform(0.0, 1.0));
  if (p < 0.8) return in->single(in->log_uniform(std::ldexp(1.0, -149), 1.0));
  if (p < 0.9) return in->single(in->uniform(0.99, 1.01)); // near 1, where ln is small
  return in->single(in->log_uniform(1.0, FLT_MAX));
}

TEST(AbsorbDifferential, TenMillionChannelsAgreeWithTheCLibrary) {
  Inputs in(0x5eed0001);
  Comparison cmp;
  for (long i = 0; i < differential::kInputs / 3; ++i) {
    const Colour c{absorption_channel(&in), absorption_channel(&in), absorption_channel(&in), 1};
    const float density = in.chance(0.1) ? 1.0f : in.single(in.log_uniform(1e-3, 1e3));
    const float distance = in.single(in.log_uniform(1e-4, 1e4));
    const Colour x{in.single(in.uniform(0, 2)), in.single(in.uniform(0, 2)),
                   in.single(in.log_uniform(1e-30, 1e30)), 0.5f};
    compare(&cmp, x, c, density, distance);
  }
  std::cout << "absorption against the C library: " << cmp.against_c_library << "\n";
  EXPECT_LE(cmp.against_c_library.differing * 1'000'000, cmp.against_c_library.compared);
  EXPECT_LE(cmp.against_c_library.farthest, 1);
  EXPECT_EQ(cmp.lane_forms_differing, 0);
}

TEST(AbsorbDifferential, EdgesAgreeWithTheCLibrary) {
  const float channels[] = {0.0f,
                            -0.0f,
                            1.0f,
                            kDenormal,
                            FLT_MIN,
                            FLT_MAX,
                            kInf,
                            kNaN,
                            std::nextafter(1.0f, 0.0f),
                            std::nextafter(1.0f, 2.0f),
                            0.5f,
                            -0.5f};
  const float densities[] = {0.0f, 1.0f, kDenormal, FLT_MAX, kInf, kNaN, -1.0f};
  const float distances[] = {0.0f, 1.0f, kDenormal, 1e30f, FLT_MAX, kInf, kNaN, 745.0f};
  const float xs[] = {0.0f, -0.0f, 1.0f, kDenormal, FLT_MAX, -FLT_MAX, kInf, kNaN};
  Comparison cmp;
  for (float c : channels)
    for (float density : densities)
      for (float distance : distances)
        for (float x : xs) {
          // One channel apart, and all three alike (clear glass takes a
          // shortcut when all three are exactly 1).
          compare(&cmp, Colour{x, x, x, 1}, Colour{c, 0.5f, c, 1}, density, distance);
          compare(&cmp, Colour{x, x, x, 1}, Colour{c, c, c, 1}, density, distance);
        }
  std::cout << "absorption edges against the C library: " << cmp.against_c_library << "\n";
  EXPECT_EQ(cmp.against_c_library.differing, 0);
  EXPECT_EQ(cmp.lane_forms_differing, 0);
}

// Exponents around where e^y leaves the fast path: just inside +-704, the
// bands up to under- and overflow that the C library answers, and past them.
TEST(AbsorbDifferential, ExponentsNearUnderAndOverflowAgree) {
  Comparison cmp;
  for (double y : {703.9, 704.0, 704.1, 709.78, 709.7827, 709.79, -703.9, -704.0, -704.1, -708.4,
                   -744.4, -745.13, -745.1332191019411, -745.1332191019412, -745.2, -800.0})
    for (float x : {1.0f, kDenormal, FLT_MAX, kInf}) {
      // Channel 0.5 with density 1 and distance d gives y = d ln 0.5.
      const float distance = static_cast<float>(y / std::log(0.5));
      compare(&cmp, Colour{x, x, x, 1}, Colour{0.5f, 0.5f, 2.0f, 1}, 1.0f, distance);
      compare(&cmp, Colour{x, x, x, 1}, Colour{0.5f, 2.0f, 0.5f, 1}, 1.0f, -distance);
    }
  std::cout << "absorption near under- and overflow: " << cmp.against_c_library << "\n";
  EXPECT_EQ(cmp.against_c_library.differing, 0);
  EXPECT_EQ(cmp.lane_forms_differing, 0);
}

} // namespace
