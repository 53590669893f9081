// Frosted and dispersive glass: the three sampling modes, the sampled index
// and its side, spectral weighting, total reflection at a sampled index, the
// averages, and what a lookup without samples sees.
#include <cmath>

#include "material_fixture.h"
#include "optics/optics.h"

namespace material {
namespace {

class Sampling : public GlassTest {
protected:
  void SetUp() override {
    GlassTest::SetUp();
    p.samples = 4;
  }
  static Vector jittered(Vector in, float amount, float s1, float s2) {
    Vector out;
    glass::jitter_direction(&out, &in, amount, s1, s2);
    return out;
  }
  static void expect_same(const Vector &a, const Vector &b) {
    EXPECT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z)
        << a.x << " " << a.y << " " << a.z << " vs " << b.x << " " << b.y << " " << b.z;
  }
};

const Vector kMirror{0.0f, 0.0f, 1.0f}, kRefracted{0.0f, 0.0f, -1.0f};

TEST_F(Sampling, BlurredReflectionAveragesEverySampleTaken) {
  refraction_ok = [](float, float) { return false; }; // reflection alone
  p.blur = 0.5f;
  p.outside_medium = 1;
  p.outside_color = {0.5f, 0.5f, 0.5f, 1.0f};
  p.outside_density = 1.0f;
  script_samples({{0.1, 0.2, 0}, {0.3, 0.4, 0}, {0.6, 0.7, 0}, {0.8, 0.9, 0}});
  // Two samples hit at 2, two see the environment: the mean length is 1.
  host().mi_trace_reflection = [this](Colour *c, HostState *s, Vector *dir) {
    directions.push_back(*dir);
    if (directions.size() > 2) return 0;
    *c = {1, 1, 1, 1};
    s->child->hit_distance = 2.0;
    return 1;
  };
  shade();
  EXPECT_EQ(dimensions, std::vector<int>(5, 2));
  ASSERT_EQ(directions.size(), 4u);
  expect_same(directions[0], jittered(kMirror, 0.5f, 0.1f, 0.2f));
  expect_same(directions[3], jittered(kMirror, 0.5f, 0.8f, 0.9f));
  EXPECT_FLOAT_EQ(result.r, 0.75f * 0.5f);
}

TEST_F(Sampling, SampledIndexSitsOnTheGlassSide) {
  fresnel = 0.0f; // refraction alone
  p.dispersion = 0.2f;
  script_samples({{0.25, 0, 0}, {0.5, 0, 0}, {0.75, 0, 0}});
  for (int inverted : {0, 1}) {
    sb.state.inverted_normal = static_cast<uint8_t>(inverted);
    index_pairs.clear();
    dimensions.clear();
    shade();
    EXPECT_EQ(dimensions, std::vector<int>(4, 1));
    ASSERT_EQ(index_pairs.size(), 4u); // the surface's own pair, then one per sample
    const float sampled[] = {1.45f, 1.5f, 1.55f};
    for (int i = 0; i < 3; ++i) {
      const auto [in, out] = index_pairs[i + 1];
      EXPECT_FLOAT_EQ(inverted ? in : out, sampled[i]);
      EXPECT_EQ(inverted ? out : in, 1.0f);
    }
    // The share keeps the surface's own indices.
    EXPECT_NEAR(result.r, inverted ? kLeaving : kEntering, 1e-6);
  }
}

TEST_F(Sampling, SpectralWeightBlendsTheTintWithWhite) {
  fresnel = 0.0f;
  p.dispersion = 0.2f;
  p.samples = 1;
  script_samples({{0.125, 0, 0}}); // tint (2, 0, 0)
  struct Case {
    float weight, r, g;
  };
  for (const Case &c : {Case{0.0f, 1, 1}, Case{1.0f, 2, 0}, Case{0.5f, 1.5f, 0.5f}}) {
    p.spectrum_weight = c.weight;
    shade();
    EXPECT_NEAR(result.r, kEntering * c.r, 1e-6) << c.weight;
    EXPECT_NEAR(result.g, kEntering * c.g, 1e-6) << c.weight;
  }
  // Tints spread over the spectrum average back to white.
  p.samples = 2;
  p.spectrum_weight = 1.0f;
  script_samples({{0.125, 0, 0}, {0.625, 0, 0}});
  shade();
  EXPECT_NEAR(result.r, kEntering, 1e-6);
  EXPECT_NEAR(result.b, kEntering, 1e-6);
}

TEST_F(Sampling, TotalReflectionAtASampledIndexTracesAMirrorSample) {
  fresnel = 0.0f;
  p.dispersion = 0.2f;
  p.samples = 1;
  p.spectrum_weight = 1.0f;
  reflected = {0.5f, 0.5f, 0.5f, 1.0f};
  refraction_ok = [](float, float out) { return out <= 1.5f; };
  for (float blur : {0.0f, 0.5f}) {
    p.blur = blur;
    // The index (1.55) comes from the last value drawn.
    script_samples(
        {blur > 0 ? std::array<double, 3>{0.3, 0.6, 0.75} : std::array<double, 3>{0.75, 0, 0}});
    host().calls.clear();
    directions.clear();
    shade();
    EXPECT_EQ(host().count("mi_trace_refraction"), 0u);
    ASSERT_EQ(host().count("mi_trace_reflection"), 1u);
    expect_same(directions[0], blur > 0 ? jittered(kMirror, blur, 0.3f, 0.6f) : kMirror);
    EXPECT_NEAR(result.b, kEntering * 0.5 * 4, 1e-6); // tint (0, 0, 4) at 0.75
    EXPECT_EQ(result.r, 0.0f);
  }
}

TEST_F(Sampling, BlurWithDispersionJittersWithTheFirstTwoValues) {
  fresnel = 0.0f;
  p.blur = 0.5f;
  p.dispersion = 0.2f;
  p.samples = 1;
  script_samples({{0.1, 0.2, 0.25}});
  shade();
  EXPECT_EQ(dimensions.at(0), 3);
  EXPECT_FLOAT_EQ(index_pairs.at(1).second, 1.45f);
  ASSERT_EQ(directions.size(), 1u);
  expect_same(directions[0], jittered(kRefracted, 0.5f, 0.1f, 0.2f));
}

TEST_F(Sampling, OnlyPositiveAmountsShapeTheRefraction) {
  connect_all();
  p.samples = 1;
  fresnel = 0.5f;
  p.inside_color = {0.5f, 0.5f, 0.5f, 1.0f};
  p.inside_density = 1.0f;
  refract_distance = 2.0;
  script_samples({{0.1, 0.2, 0.3}});
  // Blur with a negative dispersion: blurred, untinted, absorbed over the
  // sample's own length.
  p.blur = 0.5f;
  p.dispersion = -1.0f;
  shade();
  EXPECT_EQ(dimensions, (std::vector<int>{2, 2, 2, 2}));
  EXPECT_EQ(std::count(reads.begin(), reads.end(), "spectrum_weight"), 0);
  expect_same(directions.back(), jittered(kRefracted, 0.5f, 0.1f, 0.2f));
  EXPECT_NEAR(result.r, 0.5 + kEntering * 0.5 * 0.25, 1e-6);

  // A negative blur still blurs the reflection; the refraction is dispersed.
  p.blur = -0.5f;
  p.dispersion = 0.2f;
  dimensions.clear();
  shade();
  EXPECT_EQ(dimensions, (std::vector<int>{2, 2, 1, 1}));
  expect_same(directions.back(), kRefracted); // not jittered
}

TEST_F(Sampling, ALookupWithoutSamplesSeesAlongTheUnsampledDirection) {
  fresnel = 0.0f;
  refract_distance = 1.0;
  p.inside_color = {0.5f, 0.5f, 0.5f, 1.0f};
  p.inside_density = 1.0f;
  script_samples({{0.5, 0.5, 0.5}});
  struct Case {
    float blur, dispersion;
    int samples;
    size_t sampler_calls;
  };
  // Neither amount positive; a budget the renderer grants nothing for.
  for (const Case &c : {Case{-0.5f, 0.0f, 4, 0}, Case{std::nanf(""), -1.0f, 4, 0},
                        Case{0.5f, 0.0f, -1, 1}, Case{0.0f, 0.3f, -2, 1}}) {
    p.blur = c.blur;
    p.dispersion = c.dispersion;
    p.samples = c.samples;
    host().calls.clear();
    directions.clear();
    shade();
    EXPECT_EQ(host().count("mi_sample"), c.sampler_calls);
    ASSERT_EQ(directions.size(), 1u);
    expect_same(directions[0], kRefracted);
    EXPECT_NEAR(result.r, kEntering * 0.5, 1e-6) << c.blur << " " << c.samples;
  }
  // The same for a blurred reflection.
  refraction_ok = [](float, float) { return false; };
  p.blur = 0.5f;
  p.samples = -1;
  directions.clear();
  shade();
  ASSERT_EQ(directions.size(), 1u);
  expect_same(directions[0], kMirror);
  EXPECT_EQ(result.r, 1.0f);
}

} // namespace
} // namespace material
