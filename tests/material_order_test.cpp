// The order is the contract: every parameter read and renderer call of a
// whole shader call, and the shader re-entered from inside its own traces.
#include "material_fixture.h"

namespace material {
namespace {

class Order : public GlassTest {
protected:
  void SetUp() override {
    GlassTest::SetUp();
    connect_all();
    host().mi_sample_light = [](Colour *c, Vector *, float *dot_nl, HostState *, Tag, int *n) {
      if (*n > 0) return 0;
      *c = {1, 1, 1, 1};
      *dot_nl = 1;
      return ++*n;
    };
  }
};

TEST_F(Order, ClearGlassWithLitCoatingReadsEachParameterWhereItsStepRuns) {
  p.light_mode = 1;
  p.light_count = 1;
  p.outside_medium = 1;
  p.opacity = 0.5f;
  p.illuminate = 1;
  p.falloff = 1;
  reflect_distance = refract_distance = 1.0;
  shade();
  EXPECT_EQ(sequence(), (std::vector<std::string>{"replacement_normal",
                                                  "light_mode",
                                                  "light_index",
                                                  "light_count",
                                                  "lights",
                                                  "mi_inclusive_lightlist",
                                                  "outside_medium",
                                                  "ior",
                                                  "outside_ior",
                                                  "mi_refraction_dir",
                                                  "mi_fresnel_reflection",
                                                  "reflection_boost",
                                                  "opacity",
                                                  "illuminate",
                                                  "front_color",
                                                  "specular_exponent",
                                                  "specular",
                                                  "mi_sample_light",
                                                  "mi_phong_specular",
                                                  "mi_sample_light",
                                                  "irradiance_color",
                                                  "mi_compute_irradiance",
                                                  "blur",
                                                  "dispersion",
                                                  "falloff",
                                                  "single_path_mode",
                                                  "samples",
                                                  "falloff_start",
                                                  "falloff_stop",
                                                  "mi_ray_falloff",
                                                  "mi_query",
                                                  "blur_depth",
                                                  "split_depth",
                                                  "mi_reflection_dir",
                                                  "mi_trace_reflection",
                                                  "outside_density",
                                                  "outside_color",
                                                  "mi_trace_refraction",
                                                  "inside_density",
                                                  "inside_color",
                                                  "mi_ray_falloff",
                                                  "invert_alpha"}));
}

TEST_F(Order, SampledRefractionPickedAtDepthOnTheWayOut) {
  sb.state.inverted_normal = 1;
  p.outside_medium = 2;
  p.blur = 0.5f;
  p.dispersion = 0.2f;
  p.samples = 1;
  p.split_depth = 0;
  reflect_distance = refract_distance = 1.0;
  script_samples({{0.5, 0.5, 0.5}});
  host().mi_choose_simple_scatter_type = [](HostState *, Colour *, Colour *, Colour *, Colour *) {
    return int{VITREL_SCATTER_SPECULAR_TRANSMIT};
  };
  shade();
  EXPECT_EQ(sequence(), (std::vector<std::string>{"replacement_normal",
                                                  "light_mode",
                                                  "light_index",
                                                  "light_count",
                                                  "lights",
                                                  "outside_medium",
                                                  "ior",
                                                  "mi_refraction_dir",
                                                  "mi_fresnel_reflection",
                                                  "reflection_boost",
                                                  "opacity",
                                                  "blur",
                                                  "dispersion",
                                                  "falloff",
                                                  "single_path_mode",
                                                  "samples",
                                                  "mi_query",
                                                  "blur_depth",
                                                  "split_depth",
                                                  "mi_choose_simple_scatter_type",
                                                  "spectrum_weight",
                                                  "mi_sample",
                                                  "mi_refraction_dir",
                                                  "mi_trace_refraction",
                                                  "mi_sample",
                                                  "outside_density",
                                                  "outside_color",
                                                  "invert_alpha"}));
}

TEST_F(GlassTest, ATraceMayShadeTheSameGlassAgainBeforeItReturns) {
  // The reflected ray hits other glass (index 2, Fresnel 0.5) that this
  // shader shades inside the trace; its reflection in turn sees white.
  testhost::ParamBlock inner;
  inner.params.ior = 2.0f;
  inner.params.split_depth = inner.params.blur_depth = 10;
  testhost::StateBlock deeper;
  HostState deeper_child{};
  deeper.state.reflection_level = 1;
  deeper.state.child = &deeper_child;
  host().mi_fresnel_reflection = [](HostState *s, float, float) {
    return s->reflection_level == 0 ? 0.04f : 0.5f;
  };
  host().mi_trace_reflection = [&](Colour *c, HostState *s, Vector *) {
    if (s->reflection_level == 0)
      EXPECT_EQ(module().shade(c, &deeper.state, &inner.params), 1);
    else
      *c = {1, 1, 1, 1};
    s->child->hit_distance = 0.0;
    return 1;
  };
  shade();
  const double seen_inside = 0.5 + 0.25 * 0.5; // (1 / 2)^2 x 0.5 of the white refraction
  EXPECT_NEAR(result.r, 0.04 * seen_inside + kEntering * 0.96, 1e-6);
}

TEST_F(GlassTest, TheChildIsReadRightAfterItsTrace) {
  // The renderer reuses its records: after the refraction, the reflection's
  // child names another ray and its own length has changed.
  HostState first{}, second{};
  p.outside_medium = 1;
  p.outside_color = p.inside_color = {0.5f, 0.5f, 0.5f, 1.0f};
  p.outside_density = p.inside_density = 1.0f;
  fresnel = 0.5f;
  host().mi_trace_reflection = [&](Colour *c, HostState *s, Vector *) {
    *c = {1, 1, 1, 1};
    s->child = &first;
    first.hit_distance = 1.0;
    return 1;
  };
  host().mi_trace_refraction = [&](Colour *c, HostState *s, Vector *) {
    *c = {1, 1, 1, 1};
    s->child = &second;
    second.hit_distance = 2.0;
    first.hit_distance = 50.0;
    return 1;
  };
  shade();
  EXPECT_NEAR(result.r, 0.5 * 0.5 + kEntering * 0.5 * 0.25, 1e-6);
}

} // namespace
} // namespace material
