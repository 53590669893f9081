// The material shader's pipeline on clear glass: depth limits, the normal
// override, the light list, the indices, the Fresnel split and its boost,
// absorption on the side each ray ran, the shares and the ray falloff.
#include <cfloat>
#include <cmath>

#include "material_fixture.h"

namespace material {
namespace {

using Pipeline = GlassTest;

TEST_F(Pipeline, DepthLimitDeclinesBeforeAnyWork) {
  connect_all();
  for (auto levels : {std::pair{6, 0}, {0, 6}, {9, 9}}) {
    sb.state.reflection_level = levels.first;
    sb.state.refraction_level = levels.second;
    result = {0.1f, 0.2f, 0.3f, 0.4f};
    EXPECT_EQ(shade(), 0);
    EXPECT_TRUE(result.r == 0.1f && result.g == 0.2f && result.b == 0.3f && result.a == 0.4f);
  }
  EXPECT_TRUE(host().calls.empty());
  sb.state.reflection_level = sb.state.refraction_level = 5;
  EXPECT_EQ(shade(), 1);
}

TEST_F(Pipeline, AHostWithoutAnOptionsRecordSetsNoDepthLimit) {
  sb.state.options = nullptr;
  p.split_depth = p.blur_depth = 5000;
  sb.state.reflection_level = sb.state.refraction_level = 1000;
  EXPECT_EQ(shade(), 1);
  EXPECT_NEAR(result.r, 0.04 + kEntering * 0.96, 1e-6);
}

TEST_F(Pipeline, SharesBeyondSinglePrecisionSaturate) {
  // Each share alone is within range; their sum (and the leaving ray's 2.25)
  // is not. The stored colour keeps the largest finite value, so that the
  // next product with 0 cannot make it NaN.
  reflected = refracted = {FLT_MAX, FLT_MAX, -FLT_MAX, 1.0f};
  fresnel = 0.5f;
  sb.state.inverted_normal = 1;
  ASSERT_EQ(shade(), 1);
  EXPECT_EQ(result.r, FLT_MAX);
  EXPECT_EQ(result.g, FLT_MAX);
  EXPECT_EQ(result.b, -FLT_MAX);
}

TEST_F(Pipeline, SharesAddReflectionAndRefractionScaledByTheIndexRatio) {
  reflected = {0.5f, 0.25f, 0.0f, 1.0f};
  // Entering, the refracted radiance spreads over a wider cone (x 1/2.25);
  // leaving, it is squeezed (x 2.25).
  for (int inverted : {0, 1}) {
    sb.state.inverted_normal = static_cast<uint8_t>(inverted);
    const double ratio = inverted ? kLeaving : kEntering;
    ASSERT_EQ(shade(), 1);
    EXPECT_NEAR(result.r, 0.5 * 0.04 + ratio * 0.96, 1e-6);
    EXPECT_NEAR(result.g, 0.25 * 0.04 + ratio * 0.96, 1e-6);
    EXPECT_NEAR(result.b, ratio * 0.96, 1e-6);
    EXPECT_EQ(result.a, 0.0f);
  }
}

TEST_F(Pipeline, GlassOfIndexZeroAddsNoRefraction) {
  p.ior = 0.0f; // a renderer that refracts anyway must not make the share infinite
  shade();
  EXPECT_NEAR(result.r, 0.04, 1e-7);
  sb.state.inverted_normal = 1;
  p.outside_medium = 1;
  p.outside_ior = 0.0f;
  shade();
  EXPECT_NEAR(result.r, 0.04, 1e-7);
}

TEST_F(Pipeline, RefractedShareRoundsTheScaleToSinglePrecision) {
  p.ior = 1.3f;
  fresnel = 0.1f;
  reflected = {0.0f, 0.0f, 0.0f, 1.0f};
  refracted = {0.9f, 0.9f, 0.9f, 1.0f};
  const double t = static_cast<float>(1.0 - fresnel);
  const double ratio = 1.0 / (double{1.3f} * 1.3f);
  const float rounded = static_cast<float>(double{0.9f} * static_cast<float>(ratio * t));
  const float unrounded = static_cast<float>(double{0.9f} * (ratio * t));
  ASSERT_NE(rounded, unrounded); // the case tells the two apart
  shade();
  EXPECT_EQ(result.r, rounded);
}

TEST_F(Pipeline, ReplacementNormalIsNormalisedAndFacesTheRay) {
  struct Case {
    Vector replacement, direction, normal;
    float dot_nd;
  };
  Vector seen{};
  host().mi_fresnel_reflection = [&](HostState *s, float, float) {
    seen = s->normal; // the renderer works with the new normal
    return 0.04f;
  };
  for (const Case &c : {Case{{0, 0, 2}, {0, 0, 1}, {0, 0, -1}, -1.0f},
                        Case{{0, 0, 2}, {0, 0, -1}, {0, 0, 1}, -1.0f},
                        Case{{3, 0, -4}, {0, 0, -1}, {-0.6f, 0, 0.8f}, -0.8f}}) {
    p.replacement_normal = c.replacement;
    sb.state.direction = c.direction;
    shade();
    EXPECT_FLOAT_EQ(sb.state.normal.x, c.normal.x);
    EXPECT_FLOAT_EQ(sb.state.normal.z, c.normal.z);
    EXPECT_FLOAT_EQ(sb.state.dot_nd, c.dot_nd);
    EXPECT_EQ(seen.z, sb.state.normal.z);
  }
  // Zero, of either sign, keeps the renderer's normal.
  sb.state.normal = {0.0f, 0.6f, 0.8f};
  sb.state.dot_nd = -0.25f;
  p.replacement_normal = {-0.0f, 0.0f, -0.0f};
  shade();
  EXPECT_EQ(sb.state.normal.y, 0.6f);
  EXPECT_EQ(sb.state.dot_nd, -0.25f);
}

TEST_F(Pipeline, LightListStartsAtItsIndexOrIsTheRenderersOwn) {
  Tag *lights = block.lights();
  for (Tag i = 0; i < 4; ++i) lights[i] = 10 + i;
  p.light_index = 1;
  p.light_count = 2;
  std::vector<Tag> sampled;
  host().mi_sample_light = [&](Colour *, Vector *, float *, HostState *, Tag light, int *) {
    sampled.push_back(light);
    return 0;
  };
  Tag renderer_list[1] = {77};
  auto replace = [&](int *n, Tag **list, HostState *) {
    EXPECT_EQ(*n, 2);
    EXPECT_EQ(*list, lights + 1);
    *n = 1;
    *list = renderer_list;
    return 1;
  };
  host().mi_inclusive_lightlist = replace;
  host().mi_exclusive_lightlist = replace;
  struct Case {
    int mode;
    std::vector<Tag> walked;
    const char *operation;
  };
  for (const Case &c :
       {Case{0, {11, 12}, nullptr}, Case{3, {11, 12}, nullptr},
        Case{1, {77}, "mi_inclusive_lightlist"}, Case{2, {77}, "mi_exclusive_lightlist"}}) {
    host().calls.clear();
    sampled.clear();
    p.light_mode = c.mode;
    shade();
    EXPECT_EQ(sampled, c.walked) << "mode " << c.mode;
    EXPECT_EQ(host().count("mi_inclusive_lightlist") + host().count("mi_exclusive_lightlist"),
              c.operation ? 1u : 0u);
    if (c.operation) {
      EXPECT_EQ(host().count(c.operation), 1u);
    }
  }
}

TEST_F(Pipeline, OnlyOutsideMediumOneHasItsOwnIndex) {
  connect_all();
  p.outside_ior = 1.33f;
  for (int inverted : {0, 1}) {
    for (int medium : {0, 1, 2}) {
      sb.state.inverted_normal = static_cast<uint8_t>(inverted);
      p.outside_medium = medium;
      reads.clear();
      index_pairs.clear();
      shade();
      const float outside = medium == 1 ? 1.33f : 1.0f;
      const auto expected = inverted ? std::pair{1.5f, outside} : std::pair{outside, 1.5f};
      EXPECT_EQ(index_pairs.at(0), expected) << "medium " << medium;
      EXPECT_EQ(std::count(reads.begin(), reads.end(), "outside_ior"), medium == 1 ? 1 : 0);
    }
  }
}

TEST_F(Pipeline, BoostRaisesTheReflectanceTowardsAMirror) {
  p.split_depth = 0; // the renderer is shown the split
  float shown_r = -1, shown_t = -1;
  host().mi_choose_simple_scatter_type = [&](HostState *, Colour *, Colour *r, Colour *,
                                             Colour *t) {
    shown_r = r->r;
    shown_t = t->r;
    return 0;
  };
  struct Case {
    float boost, fresnel, reflectance, transmittance;
  };
  for (const Case &c : {Case{0.5f, 0.04f, 0.08f, 0.92f}, Case{0.5f, 0.6f, 1, 0}, Case{1, 0, 1, 0},
                        Case{2, 0.3f, 1, 0}, Case{0, 0.3f, 0.3f, 0.7f}, Case{-1, 0.3f, 0.3f, 0.7f},
                        Case{1, -0.2f, 1, 0}}) {
    p.reflection_boost = c.boost;
    fresnel = c.fresnel;
    shade();
    EXPECT_FLOAT_EQ(shown_r, c.reflectance) << "boost " << c.boost << " fresnel " << c.fresnel;
    EXPECT_FLOAT_EQ(shown_t, c.transmittance) << "boost " << c.boost << " fresnel " << c.fresnel;
  }
}

TEST_F(Pipeline, EachRayIsAbsorbedInTheMediumItRanThrough) {
  p.inside_color = {0.5f, 0.5f, 0.5f, 1.0f};
  p.outside_color = {0.25f, 0.25f, 0.25f, 1.0f};
  p.inside_density = p.outside_density = 1.0f;
  reflect_distance = refract_distance = 1.0;
  fresnel = 0.5f;
  struct Case {
    int inverted, medium;
    double reflected_factor, refracted_factor;
  };
  for (const Case &c : {Case{0, 0, 1.0, 0.5}, Case{0, 1, 0.25, 0.5}, Case{0, 2, 0.25, 0.5},
                        Case{1, 0, 0.5, 1.0}, Case{1, 1, 0.5, 0.25}, Case{1, 2, 0.5, 0.25}}) {
    sb.state.inverted_normal = static_cast<uint8_t>(c.inverted);
    p.outside_medium = c.medium;
    shade();
    const double ratio = c.inverted ? kLeaving : kEntering;
    EXPECT_NEAR(result.g, 0.5 * c.reflected_factor + ratio * 0.5 * c.refracted_factor, 1e-6)
        << "inverted " << c.inverted << " medium " << c.medium;
  }
}

TEST_F(Pipeline, RaysOfUnknownLengthAreNotAbsorbed) {
  connect_all();
  p.outside_medium = 1;
  p.outside_color = p.inside_color = {0.0f, 0.0f, 0.0f, 1.0f}; // would absorb everything
  p.outside_density = p.inside_density = 1.0f;
  reflect_distance = 5.0;
  host().mi_trace_reflection = [](Colour *c, HostState *, Vector *) {
    *c = {0.9f, 0.9f, 0.9f, 1.0f}; // written before the miss: not to be kept
    return 0;
  };
  host().mi_trace_environment = [](Colour *, HostState *, Vector *) { return 0; };
  sb.state.child = nullptr; // the refraction hits but names no ray
  shade();
  EXPECT_NEAR(result.r, kEntering * 0.96, 1e-6); // black environment, unabsorbed refraction
  for (const char *density : {"inside_density", "outside_density"})
    EXPECT_EQ(std::count(reads.begin(), reads.end(), density), 0) << density;

  // With a known length, the same refraction is absorbed entirely.
  sb.state.child = &child;
  refract_distance = 1.0;
  shade();
  EXPECT_EQ(result.r, 0.0f);
}

TEST_F(Pipeline, AnyNonzeroFalloffFlagInstallsIt) {
  for (int32_t flag : {2, -1}) {
    p.falloff = flag;
    host().calls.clear();
    shade();
    EXPECT_EQ(host().count("mi_ray_falloff"), 2u) << flag;
  }
  p.falloff = 0;
  host().calls.clear();
  shade();
  EXPECT_EQ(host().count("mi_ray_falloff"), 0u);
}

TEST_F(Pipeline, FalloffIsRestoredOnEveryPathThatInstalledIt) {
  p.falloff = 1;
  p.falloff_start = 2.5f;
  p.falloff_stop = 7.0f;
  std::vector<std::pair<double, double>> handed;
  host().mi_ray_falloff = [&](HostState *, double *start, double *stop) {
    handed.emplace_back(*start, *stop);
    *start = 100.0; // the renderer's previous pair comes back in place
    *stop = 200.0;
    return 1;
  };
  shade();
  const std::vector<std::pair<double, double>> install_then_restore{{2.5, 7.0}, {100.0, 200.0}};
  EXPECT_EQ(handed, install_then_restore);
  EXPECT_EQ(
      calls_except_reads(),
      (std::vector<std::string>{"mi_refraction_dir", "mi_fresnel_reflection", "mi_ray_falloff",
                                "mi_query", "mi_reflection_dir", "mi_trace_reflection",
                                "mi_trace_refraction", "mi_ray_falloff"}));

  // The renderer picks a diffuse scatter: nothing is traced between the two.
  p.split_depth = 0;
  host().mi_choose_simple_scatter_type = [](HostState *, Colour *, Colour *, Colour *, Colour *) {
    return int{VITREL_SCATTER_DIFFUSE_REFLECT};
  };
  host().calls.clear();
  shade();
  EXPECT_EQ(
      calls_except_reads(),
      (std::vector<std::string>{"mi_refraction_dir", "mi_fresnel_reflection", "mi_ray_falloff",
                                "mi_query", "mi_choose_simple_scatter_type", "mi_ray_falloff"}));
  EXPECT_EQ(result.r, 0.0f);

  // A fully opaque coating ends the call before the falloff.
  p.opacity = 1.0f;
  host().calls.clear();
  shade();
  EXPECT_EQ(host().count("mi_ray_falloff"), 0u);
}

} // namespace
} // namespace material
