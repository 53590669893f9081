// The fate of a photon at the glass: the odds offered to the renderer, the
// storing of the photon, and what each chosen scatter type returns.
#include "photon_fixture.h"

namespace {

using phototest::Photon;
using testhost::host;
using Events = std::vector<std::string>;

struct Rgb {
  float r, g, b;
};

TEST_F(Photon, DispersedBlurredTransmissionRunsInOrder) {
  GlassParams &p = block.params;
  p.outside_medium = 1;
  p.opacity = 0.5f;
  p.back_color = {1.0f, 1.0f, 1.0f, 1.0f};
  p.reflection_boost = 0.1f;
  p.samples = 4;
  p.blur = 0.1f;
  p.dispersion = 0.05f;
  sb.state.inverted_normal = 1; // leaving: the back layer, and the inside absorbs

  EXPECT_EQ(shade(), 1);
  EXPECT_EQ(events(), (Events{"param:outside_medium",
                              "param:opacity",
                              "param:photon_own_ior",
                              "param:ior",
                              "param:outside_ior",
                              "mi_fresnel_reflection",
                              "param:reflection_boost",
                              "param:reflection_boost",
                              "param:back_color",
                              "mi_store_photon",
                              "mi_choose_simple_scatter_type",
                              "param:photon_specular_color",
                              "param:samples",
                              "param:blur",
                              "param:dispersion",
                              "param:photon_dispersion_off",
                              "mi_sample",
                              "param:spectrum_weight",
                              "param:inside_color",
                              "param:inside_density",
                              "param:photon_blur_off",
                              "mi_sample",
                              "mi_transmission_dir_specular",
                              "mi_photon_transmission_specular"}));
  EXPECT_EQ(sample_dimensions, (std::vector<int>{1, 2}));
}

TEST_F(Photon, OpacitySplitsTheEnergy) {
  struct Case {
    float opacity;
    Colour layer;
    bool diffuse_offered;
    Rgb diffuse_reflection, diffuse_transmission;
    float specular_reflection, specular_transmission;
    bool stored;
  };
  const Case cases[] = {
      // Above 1 acts as 1: all of it is the layer's, and all of that comes back.
      {1.5f, {0.5f, 0.25f, 1.0f, 0.5f}, true, {0.5f, 0.25f, 1.0f}, {0, 0, 0}, 0.0f, 0.0f, true},
      // Below 0 acts as 0: no layer at all, however bright.
      {-0.2f, {1, 1, 1, 1}, false, {0, 0, 0}, {0, 0, 0}, 0.2f, 0.8f, false},
      {0.5f,
       {1.0f, 0.5f, 0.0f, 1.0f},
       true,
       {0.25f, 0.125f, 0},
       {0.25f, 0.125f, 0},
       0.1f,
       0.4f,
       true},
      // A black layer is still a layer: offered by address, but nothing to store.
      {0.7f, {0, 0, 0, 1}, true, {0, 0, 0}, {0, 0, 0}, 0.06f, 0.24f, false},
  };
  for (const Case &c : cases) {
    SetUp();
    block.params.opacity = c.opacity;
    block.params.front_color = c.layer;
    shade();
    SCOPED_TRACE(c.opacity);
    EXPECT_EQ(offered[0] != nullptr, c.diffuse_offered);
    EXPECT_EQ(offered[2] != nullptr, c.diffuse_offered);
    ASSERT_NE(offered[1], nullptr);
    ASSERT_NE(offered[3], nullptr);
    const Colour &dr = offers[0], &sr = offers[1], &dt = offers[2], &st = offers[3];
    if (c.diffuse_offered) {
      EXPECT_FLOAT_EQ(dr.r, c.diffuse_reflection.r);
      EXPECT_FLOAT_EQ(dr.g, c.diffuse_reflection.g);
      EXPECT_FLOAT_EQ(dr.b, c.diffuse_reflection.b);
      EXPECT_EQ(dr.a, c.layer.a);
      EXPECT_FLOAT_EQ(dt.r, c.diffuse_transmission.r);
      EXPECT_FLOAT_EQ(dt.g, c.diffuse_transmission.g);
      EXPECT_FLOAT_EQ(dt.b, c.diffuse_transmission.b);
    }
    for (const Colour *s : {&sr, &st}) EXPECT_TRUE(s->r == s->g && s->g == s->b);
    EXPECT_FLOAT_EQ(sr.r, c.specular_reflection);
    EXPECT_FLOAT_EQ(st.r, c.specular_transmission);
    // The alphas the split has no value for are defined.
    EXPECT_EQ(sr.a, 0.0f);
    EXPECT_EQ(st.a, 0.0f);
    EXPECT_EQ(host().count("mi_store_photon"), c.stored ? 1u : 0u);
    EXPECT_EQ(count_reads("front_color"), c.diffuse_offered ? 1u : 0u);
  }
}

TEST_F(Photon, TheSideSeenChoosesTheLayerColour) {
  // Only an inverted_normal of exactly 1 is the back.
  for (uint8_t inverted : {0, 1, 2}) {
    SetUp();
    block.params.opacity = 1.0f;
    block.params.front_color = {0.1f, 0.1f, 0.1f, 1.0f};
    block.params.back_color = {0.9f, 0.9f, 0.9f, 1.0f};
    sb.state.inverted_normal = inverted;
    shade();
    EXPECT_EQ(offers[0].r, inverted == 1 ? 0.9f : 0.1f);
    EXPECT_EQ(count_reads("back_color") + count_reads("front_color"), 1u);
  }
}

TEST_F(Photon, BoostRaisesTheReflectance) {
  struct Case {
    float boost, fresnel, reflectance;
  };
  const Case cases[] = {{0.5f, 0.2f, 0.4f},  {0.5f, 0.5f, 1.0f}, {0.5f, 0.6f, 1.0f},
                        {1.0f, 0.0f, 1.0f},  {3.0f, 0.3f, 1.0f}, {0.0f, 0.3f, 0.3f},
                        {-1.0f, 0.3f, 0.3f}, {1.0f, -0.5f, 1.0f}}; // below 0: no division by 0
  for (const Case &c : cases) {
    SetUp();
    block.params.reflection_boost = c.boost;
    fresnel = c.fresnel;
    shade();
    SCOPED_TRACE(c.boost);
    EXPECT_EQ(offers[1].r, c.reflectance) << c.fresnel;
    EXPECT_EQ(offers[3].r, static_cast<float>(1.0 - c.reflectance));
    EXPECT_EQ(count_reads("reflection_boost"), c.boost > 0 ? 2u : 1u);
  }
}

TEST_F(Photon, OutsideMediumAndOwnIndicesChooseTheIndices) {
  for (int32_t medium : {0, 1, 2}) {
    for (int32_t own : {1, 2}) {
      SetUp();
      GlassParams &p = block.params;
      p.ior = 1.5f;
      p.outside_ior = 1.2f;
      p.photon_ior = 1.7f;
      p.photon_outside_ior = 1.3f;
      p.outside_medium = medium;
      p.photon_own_ior = own;
      shade();
      SCOPED_TRACE(testing::Message() << "outside_medium " << medium << " own " << own);
      const float glass = own == 1 ? 1.7f : 1.5f;
      const float outside = medium == 0 ? 1.0f : own == 1 ? 1.3f : 1.2f;
      // Entering: from the outside into the glass.
      EXPECT_EQ(fresnel_ior_in, outside);
      EXPECT_EQ(fresnel_ior_out, glass);
      EXPECT_EQ(sb.state.ior_in, outside);
      EXPECT_EQ(sb.state.ior_out, glass);
      EXPECT_EQ(count_reads("photon_ior") + count_reads("ior"), 1u);
      EXPECT_EQ(count_reads("photon_outside_ior") + count_reads("outside_ior"),
                medium == 0 ? 0u : 1u);
    }
  }
}

TEST_F(Photon, StoresUnlessStraightFromALight) {
  struct Case {
    std::vector<int> chain; // the parent first, then its parent, ...
    int own_type;
    bool stored;
  };
  const Case cases[] = {
      {{9}, 13, false},        {{19, 19, 9}, 13, false}, {{19}, 13, true},
      {{19, 19}, 13, true},    {{10}, 13, true},         {{13}, 9, true},
      {{19, 13, 9}, 13, true}, {{}, 13, true}, // no recorded origin
  };
  for (const Case &c : cases) {
    SetUp();
    block.params.opacity = 1.0f;
    block.params.front_color = {0.0f, 0.0f, 0.5f, 1.0f};
    HostState chain[3] = {};
    for (size_t i = 0; i < c.chain.size(); ++i) {
      chain[i].ray_type = c.chain[i];
      if (i + 1 < c.chain.size()) chain[i].parent = &chain[i + 1];
    }
    sb.state.parent = c.chain.empty() ? nullptr : &chain[0];
    sb.state.ray_type = c.own_type;
    HostState *stored_state = nullptr;
    Colour stored_energy{};
    host().mi_store_photon = [&](Colour *e, HostState *s) {
      stored_energy = *e;
      stored_state = s;
      return 1;
    };
    shade();
    SCOPED_TRACE(testing::Message() << "chain of " << c.chain.size() << " own " << c.own_type);
    EXPECT_EQ(host().count("mi_store_photon"), c.stored ? 1u : 0u);
    if (c.stored) {
      EXPECT_EQ(stored_state, &sb.state);
      EXPECT_EQ(stored_energy.g, 4.0f); // as it arrived
    }
  }
}

TEST_F(Photon, EachScatterTypeReturnsItsOwnResult) {
  struct Case {
    int type;
    const char *continuation; // null: nothing emitted
  };
  const Case cases[] = {{8, nullptr},
                        {9, nullptr},
                        {11, nullptr},
                        {14, nullptr},
                        {-1, nullptr},
                        {10, "mi_photon_reflection_specular"},
                        {12, "mi_photon_reflection_diffuse"},
                        {13, "mi_photon_transmission_specular"},
                        {15, "mi_photon_transmission_diffuse"}};
  for (const Case &c : cases) {
    for (int answer : {0, 1}) {
      SetUp();
      block.params.opacity = 0.5f;
      block.params.front_color = {1, 1, 1, 1};
      scatter_type = c.type;
      continuation_answer = answer;
      const int result = shade();
      SCOPED_TRACE(c.type);
      if (c.continuation != nullptr) {
        EXPECT_EQ(result, answer);
        EXPECT_EQ(host().calls.back(), c.continuation);
      } else {
        EXPECT_EQ(result, c.type == 8 ? 1 : 0);
        EXPECT_EQ(host().calls.back(), "mi_choose_simple_scatter_type");
        EXPECT_FALSE(emitted());
      }
    }
  }
}

TEST_F(Photon, APhotonGivenToTheMaterialExportIsShadedAlike) {
  auto run = [&](int (*shader)(Colour *, HostState *, GlassParams *)) {
    SetUp();
    block.params.opacity = 0.3f;
    block.params.front_color = {0.4f, 0.5f, 0.6f, 1.0f};
    block.params.samples = 2;
    block.params.blur = 0.2f;
    block.params.dispersion = 0.1f;
    block.params.spectrum_weight = 0.5f;
    const int result = shader(&energy, &sb.state, &block.params);
    return std::make_tuple(result, events(), energy.r, energy.g, energy.b, emitted_energy.r,
                           emitted_energy.g, emitted_direction.x, emitted_direction.y,
                           transmit_ior_out);
  };
  const auto through_photon = run(testhost::module().shade_photon);
  EXPECT_EQ(run(testhost::module().shade), through_photon);
  EXPECT_EQ(std::get<0>(through_photon), 1);
}

} // namespace
