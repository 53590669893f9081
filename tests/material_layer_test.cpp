// The opaque coating and the highlights: coverage, alpha, the fully opaque
// shortcut, the lit coating, the side it is seen from, and per-light sampling.
#include <cmath>
#include <limits>
#include <tuple>

#include "material_fixture.h"

namespace material {
namespace {

class Layer : public GlassTest {
protected:
  void SetUp() override {
    GlassTest::SetUp();
    block.lights()[0] = 5;
    SetUpLightSamples();
    host().mi_phong_specular = [](float, HostState *, Vector *) { return 0.5f; };
    host().mi_compute_irradiance = [this](Colour *out, HostState *) {
      *out = irradiance;
      return 1;
    };
    p.front_color = {0.2f, 0.4f, 0.6f, 1.0f};
    p.back_color = {0.7f, 0.1f, 0.3f, 1.0f};
  }
  void SetUpLightSamples() {
    host().mi_sample_light = [this](Colour *colour, Vector *dir, float *dot_nl, HostState *,
                                    Tag light, int *count) {
      EXPECT_EQ(light, 5u);
      if (*count >= static_cast<int>(samples.size())) return 0;
      *colour = samples[*count].colour;
      *dir = {0.0f, 0.0f, 1.0f};
      *dot_nl = samples[*count].dot_nl;
      ++*count;
      return 1;
    };
  }
  struct LightSample {
    Colour colour;
    float dot_nl;
  };
  std::vector<LightSample> samples;
  Colour irradiance{0.2f, 0.2f, 0.2f, 1.0f};
};

TEST_F(Layer, CoverageBlendsTheCoatingAndSetsTheAlpha) {
  const double glass = 0.04 + kEntering * 0.96;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float opacity;
    int invert;
    float coverage, alpha;
  };
  for (const Case &c :
       {Case{-1, 0, 0, 0}, Case{-1, 1, 0, 1}, Case{0, 0, 0, 0}, Case{0, 1, 0, 1},
        Case{nan, 0, 0, 0}, Case{0.25f, 0, 0.25f, 0.25f}, Case{0.25f, 1, 0.25f, 0.75f},
        Case{1, 0, 1, 1}, Case{1, 1, 1, 0}, Case{2, 0, 1, 1}, Case{2, 1, 1, 0},
        // Only exactly 1 inverts the alpha.
        Case{0, 2, 0, 0}, Case{0.25f, 2, 0.25f, 0.25f}, Case{1, -1, 1, 1}}) {
    p.opacity = c.opacity;
    p.invert_alpha = c.invert;
    host().calls.clear();
    shade();
    EXPECT_NEAR(result.g, (1 - c.coverage) * glass + c.coverage * 0.4, 1e-6) << c.opacity;
    EXPECT_FLOAT_EQ(result.a, c.alpha) << c.opacity << " invert " << c.invert;
    EXPECT_EQ(host().count("mi_trace_refraction"), c.coverage < 1 ? 1u : 0u) << c.opacity;
  }
  // The glass keeps 1 - coverage as a single-precision share.
  p.reflection_boost = 1.0f; // a mirror of 0.5
  reflected = {0.5f, 0.5f, 0.5f, 1.0f};
  p.opacity = 0.1f;
  shade();
  const double kept = static_cast<float>(1.0 - 0.1f);
  EXPECT_EQ(result.g, static_cast<float>(kept * 0.5 + double{0.4f} * 0.1f));
  EXPECT_NE(result.g, static_cast<float>((1.0 - 0.1f) * 0.5 + double{0.4f} * 0.1f));
}

TEST_F(Layer, FullyOpaqueCoatingDropsHighlightsAndStopsTheCall) {
  connect_all();
  p.opacity = 1.0f;
  p.light_count = 1;
  p.specular = p.specular_exponent = 1.0f;
  samples = {{{1, 1, 1, 1}, 1.0f}};
  shade();
  EXPECT_EQ(result.r, 0.2f);
  EXPECT_EQ(result.b, 0.6f);
  EXPECT_EQ(sequence(), (std::vector<std::string>{
                            "replacement_normal", "light_mode", "light_index", "light_count",
                            "lights", "outside_medium", "ior", "mi_refraction_dir",
                            "mi_fresnel_reflection", "reflection_boost", "opacity", "illuminate",
                            "front_color", "specular_exponent", "specular", "mi_sample_light",
                            "mi_phong_specular", "mi_sample_light", "invert_alpha"}));
}

TEST_F(Layer, HighlightsAreAveragedPerLightAndWeightedByReflectance) {
  p.light_count = 1;
  p.specular = 2.0f;
  p.specular_exponent = 10.0f;
  reflected = refracted = {0, 0, 0, 1};
  // h = 0.5 x 10 x R per sample; the mean over the light's samples, x 2 x 0.2.
  samples = {{{1, 1, 1, 1}, 1.0f}, {{0.5f, 0.5f, 0.5f, 1}, 1.0f}};
  shade();
  EXPECT_NEAR(result.r, 0.75 * 5.0 * 0.04 * 0.4, 1e-7);
  samples = {{{1, 1, 1, 1}, 1.0f}};
  shade();
  EXPECT_NEAR(result.r, 5.0 * 0.04 * 0.4, 1e-7);
  // The highlight follows the boosted reflectance: 0.04 / (1 - 0.5).
  p.reflection_boost = 0.5f;
  shade();
  EXPECT_NEAR(result.r, 5.0 * 0.08 * 0.4, 1e-7);
  p.reflection_boost = 0.0f;
  // Under total reflection the highlight is not reduced by a Fresnel term.
  refraction_ok = [](float, float) { return false; };
  shade();
  EXPECT_NEAR(result.r, 5.0 * 0.4, 1e-6);

  // A sample the renderer leaves unwritten is black, not the one before.
  host().mi_sample_light = [](Colour *c, Vector *, float *, HostState *, Tag, int *count) {
    if (*count >= 2) return 0;
    if (*count == 0) *c = {1, 1, 1, 1};
    ++*count;
    return 1;
  };
  shade();
  EXPECT_NEAR(result.r, 0.5 * 5.0 * 0.4, 1e-6);
  SetUpLightSamples();

  // The weight is specular times the single-precision 0.2.
  p.specular = 1.1f;
  p.specular_exponent = 2.0f;
  samples = {{{1, 1, 1, 1}, 1.0f}};
  shade();
  EXPECT_EQ(result.r, static_cast<float>(double{1.1f} * 0.2f));
  EXPECT_NE(result.r, static_cast<float>(double{1.1f} * 0.2));

  // No samples, or no highlight weight: nothing added, samples still drawn.
  for (auto [specular, exponent, count] :
       {std::tuple{2.0f, 10.0f, 0}, {0.0f, 10.0f, 1}, std::tuple{2.0f, 0.0f, 1}}) {
    p.specular = specular;
    p.specular_exponent = exponent;
    samples.assign(count, {{1, 1, 1, 1}, 1.0f});
    host().calls.clear();
    shade();
    EXPECT_EQ(result.r, 0.0f);
    EXPECT_EQ(host().count("mi_sample_light"), count + 1u);
  }
}

TEST_F(Layer, EachLightReadsTheHighlightParametersAgain) {
  connect_all();
  p.light_count = 3;
  for (int i = 0; i < 3; ++i) block.lights()[i] = 5;
  shade();
  EXPECT_EQ(std::count(reads.begin(), reads.end(), "specular_exponent"), 3);
  EXPECT_EQ(std::count(reads.begin(), reads.end(), "specular"), 3);
}

TEST_F(Layer, LitCoatingGathersDiffuseLightAndIrradiance) {
  p.opacity = 1.0f;
  p.illuminate = 1;
  p.irradiance_color = {2.0f, 2.0f, 2.0f, 1.0f};
  p.light_count = 1;
  // Diffuse: the mean of colour x base x cos; plus base x 2 x irradiance.
  samples = {{{1, 1, 1, 1}, 1.0f}, {{0.5f, 0.5f, 0.5f, 1}, 0.5f}};
  shade();
  EXPECT_NEAR(result.r, 0.2 * (0.625 + 0.4), 1e-6);
  EXPECT_NEAR(result.b, 0.6 * (0.625 + 0.4), 1e-6);

  // No light, and a renderer that writes no irradiance: black whatever the base.
  p.light_count = 0;
  host().mi_compute_irradiance = [](Colour *, HostState *) { return 0; };
  shade();
  EXPECT_EQ(result.g, 0.0f);

  // Any nonzero value lights the coating.
  p.light_count = 1;
  host().mi_compute_irradiance = nullptr;
  p.illuminate = -2;
  host().calls.clear();
  shade();
  EXPECT_NEAR(result.r, 0.2 * 0.625, 1e-6);
  EXPECT_EQ(host().count("mi_compute_irradiance"), 1u);

  // Unlit: the flat colour, and no irradiance is asked for.
  p.illuminate = 0;
  host().calls.clear();
  shade();
  EXPECT_EQ(result.g, 0.4f);
  EXPECT_EQ(host().count("mi_compute_irradiance"), 0u);
}

TEST_F(Layer, OnlyInvertedNormalOneShowsTheBack) {
  p.opacity = 1.0f;
  p.irradiance_color = {1, 1, 1, 1};
  irradiance = {1, 1, 1, 1};
  for (int lit : {0, 1}) {
    p.illuminate = lit;
    for (int side : {0, 1, 2}) {
      sb.state.inverted_normal = static_cast<uint8_t>(side);
      shade();
      EXPECT_EQ(result.r, side == 1 ? 0.7f : 0.2f) << "side " << side << " lit " << lit;
    }
  }
}

} // namespace
} // namespace material
