// Which rays a hit spawns: the path-choice rows, the renderer's pick at depth
// and under the single-path query, and the gate that switches sampling off.
#include <cmath>

#include "material_fixture.h"

namespace material {
namespace {

class Paths : public GlassTest {
protected:
  void SetUp() override {
    GlassTest::SetUp();
    host().mi_choose_simple_scatter_type = [this](HostState *, Colour *diffuse_r, Colour *r,
                                                  Colour *diffuse_t, Colour *t) {
      EXPECT_EQ(diffuse_r, nullptr);
      EXPECT_EQ(diffuse_t, nullptr);
      Colour *picked = scatter == VITREL_SCATTER_SPECULAR_REFLECT ? r : t;
      if (rewrite >= 0) picked->r = rewrite;
      return scatter;
    };
  }
  size_t reflections() { return host().count("mi_trace_reflection"); }
  size_t refractions() { return host().count("mi_trace_refraction"); }
  int scatter = VITREL_SCATTER_SPECULAR_REFLECT;
  float rewrite = -1; // the colour the renderer writes into its pick; < 0: none
};

TEST_F(Paths, RowsAreTriedFromTheTop) {
  connect_all();
  struct Case {
    const char *row;
    bool refraction, at_split_depth;
    float fresnel;
    bool asked, reflect, refract;
  };
  for (const Case &c : {
           Case{"1: total reflection, even at depth", false, true, 0.04f, false, true, false},
           Case{"2: at depth, the renderer picks", true, true, 0.04f, true, true, false},
           Case{"3: no transmittance", true, false, 0.99995f, false, true, false},
           Case{"3: small transmittance is still traced", true, false, 0.9998f, false, true, true},
           Case{"4: reflectance at the float nearest 0.0001", true, false, 0.0001f, false, false,
                true},
           Case{"4: just above", true, false, std::nextafter(0.0001f, 1.0f), false, true, true},
           Case{"5: both", true, false, 0.04f, false, true, true},
       }) {
    host().calls.clear();
    reads.clear();
    refraction_ok = [ok = c.refraction](float, float) { return ok; };
    fresnel = c.fresnel;
    // The depth is both levels together: 2 + 1.
    sb.state.reflection_level = 2;
    sb.state.refraction_level = 1;
    p.split_depth = c.at_split_depth ? 3 : 4;
    shade();
    EXPECT_EQ(host().count("mi_choose_simple_scatter_type"), c.asked ? 1u : 0u) << c.row;
    EXPECT_EQ(reflections(), c.reflect ? 1u : 0u) << c.row;
    EXPECT_EQ(refractions(), c.refract ? 1u : 0u) << c.row;
    // The split depth is not read when total reflection settles the choice.
    EXPECT_EQ(std::count(reads.begin(), reads.end(), "split_depth"), c.refraction ? 1 : 0) << c.row;
  }
}

TEST_F(Paths, TheRenderersPickIsCompensatedByItsShare) {
  p.split_depth = 0;
  reflected = {0.5f, 0.5f, 0.5f, 1.0f};
  rewrite = 1.0f; // the pick carries all the light
  shade();
  EXPECT_EQ(refractions(), 0u);
  EXPECT_NEAR(result.r, 0.5, 1e-6); // 0.5 x (1 / 0.04) x 0.04

  scatter = VITREL_SCATTER_SPECULAR_TRANSMIT;
  shade();
  EXPECT_NEAR(result.r, kEntering, 1e-6); // 1 x (1 / 0.96) x 0.96 / 2.25

  // Left as the shader handed it over, the pick weighs 1.
  rewrite = -1;
  shade();
  EXPECT_NEAR(result.r, kEntering * 0.96, 1e-6);

  // Absorbed or diffuse: the glass traces nothing and adds nothing.
  for (int type : {int{VITREL_SCATTER_ABSORB}, int{VITREL_SCATTER_DIFFUSE_REFLECT},
                   int{VITREL_SCATTER_DIFFUSE_TRANSMIT}, 0}) {
    scatter = type;
    host().calls.clear();
    shade();
    EXPECT_EQ(reflections() + refractions(), 0u) << type;
    EXPECT_EQ(result.r, 0.0f) << type;
  }
}

TEST_F(Paths, APickWithoutShareAddsNothingFinite) {
  p.split_depth = 0;
  rewrite = 1.0f;
  struct Case {
    int scatter;
    float fresnel, boost;
  };
  // A reflection picked at reflectance 0, a refraction picked after a boost
  // to a full mirror, and a reflectance too small for the ratio to fit.
  for (const Case &c : {Case{VITREL_SCATTER_SPECULAR_REFLECT, 0.0f, 0.0f},
                        Case{VITREL_SCATTER_SPECULAR_TRANSMIT, 0.3f, 1.0f},
                        Case{VITREL_SCATTER_SPECULAR_REFLECT, 1e-45f, 0.0f}}) {
    scatter = c.scatter;
    fresnel = c.fresnel;
    p.reflection_boost = c.boost;
    host().calls.clear();
    shade();
    EXPECT_EQ(reflections() + refractions(), 1u);
    EXPECT_TRUE(std::isfinite(result.r) && std::isfinite(result.g) && std::isfinite(result.b));
    EXPECT_EQ(result.r, 0.0f);
  }
}

TEST_F(Paths, SinglePathQueryFollowsTheMode) {
  int answer = 1;
  host().mi_query = [&](int code, HostState *s, Tag tag, void *out) {
    EXPECT_EQ(code, 142);
    EXPECT_EQ(s, &sb.state);
    EXPECT_EQ(tag, 0u);
    EXPECT_EQ(*static_cast<int *>(out), 0); // set before the question
    *static_cast<int *>(out) = answer;
    return 1;
  };
  p.blur = 0.5f;
  p.samples = 2;
  script_samples({{0.5, 0.5, 0}, {0.5, 0.5, 0}});
  struct Case {
    int answer, mode;
    bool single, sampled;
  };
  for (const Case &c : {Case{1, 0, false, true}, Case{1, 1, true, true}, Case{1, 2, true, false},
                        Case{1, 3, true, true}, Case{1, -1, true, true}, Case{0, 2, false, true}}) {
    answer = c.answer;
    p.single_path_mode = c.mode;
    host().calls.clear();
    shade();
    EXPECT_EQ(host().count("mi_choose_simple_scatter_type"), c.single ? 1u : 0u) << c.mode;
    EXPECT_EQ(host().count("mi_sample") > 0, c.sampled) << c.mode;
  }
  // Even a single-path renderer is not asked under total reflection.
  refraction_ok = [](float, float) { return false; };
  p.single_path_mode = 1;
  host().calls.clear();
  shade();
  EXPECT_EQ(host().count("mi_choose_simple_scatter_type"), 0u);
}

TEST_F(Paths, SamplingStopsAtItsDepthOrWithoutSamples) {
  p.blur = 0.5f;
  p.dispersion = 0.1f;
  script_samples({{0.5, 0.5, 0.5}});
  sb.state.reflection_level = 1;
  sb.state.refraction_level = 2;
  struct Case {
    int samples, blur_depth;
    bool sampled;
  };
  for (const Case &c : {Case{1, 4, true}, Case{1, 3, false}, Case{0, 10, false}}) {
    p.samples = c.samples;
    p.blur_depth = c.blur_depth;
    host().calls.clear();
    shade();
    EXPECT_EQ(host().count("mi_sample") > 0, c.sampled);
    EXPECT_EQ(reflections(), 1u);
    EXPECT_EQ(refractions(), 1u);
  }
}

} // namespace
} // namespace material
