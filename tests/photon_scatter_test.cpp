// The fate of a photon at the glass: the odds offered to the renderer, the
// storing of the photon, and what each chosen scatter type returns.
#include <cmath>

#include "photon_fixture.h"

namespace {

using phototest::expect_rgb;
using phototest::Photon;
using phototest::Rgb;
using testhost::host;
using Events = std::vector<std::string>;

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

TEST_F(Photon, OpacityAndTheSideSeenSplitTheEnergy) {
  struct Case {
    float opacity;
    uint8_t inverted;                             // only 1 shows the back layer
    Rgb diffuse_reflection, diffuse_transmission; // all -1: handed over as null
    float specular_reflection, specular_transmission;
    bool stored;
  };
  const Rgb null{-1, -1, -1};
  const Case cases[] = {
      // Above 1 acts as 1: all of it is the layer's, and all of that comes back.
      {1.5f, 0, {1.0f, 0.5f, 0.0f}, {0, 0, 0}, 0.0f, 0.0f, true},
      // Below 0 acts as 0: no layer at all, however bright.
      {-0.2f, 0, null, null, 0.2f, 0.8f, false},
      {0.5f, 0, {0.25f, 0.125f, 0}, {0.25f, 0.125f, 0}, 0.1f, 0.4f, true},
      {0.5f, 2, {0.25f, 0.125f, 0}, {0.25f, 0.125f, 0}, 0.1f, 0.4f, true},
      // A black layer is still a layer: offered by address, but nothing to store.
      {0.5f, 1, {0, 0, 0}, {0, 0, 0}, 0.1f, 0.4f, false},
  };
  for (const Case &c : cases) {
    SetUp();
    block.params.opacity = c.opacity;
    block.params.front_color = {1.0f, 0.5f, 0.0f, 0.5f};
    block.params.back_color = {0.0f, 0.0f, 0.0f, 1.0f};
    sb.state.inverted_normal = c.inverted;
    shade();
    SCOPED_TRACE(testing::Message() << c.opacity << " inverted " << int(c.inverted));
    const bool layer = c.diffuse_reflection.r >= 0;
    EXPECT_EQ(offered[0] != nullptr, layer);
    EXPECT_EQ(offered[2] != nullptr, layer);
    if (layer) {
      expect_rgb(offers[0], c.diffuse_reflection);
      expect_rgb(offers[2], c.diffuse_transmission);
      EXPECT_EQ(offers[0].a, c.inverted == 1 ? 1.0f : 0.5f); // the layer's alpha
    }
    expect_rgb(offers[1], {c.specular_reflection, c.specular_reflection, c.specular_reflection});
    expect_rgb(offers[3],
               {c.specular_transmission, c.specular_transmission, c.specular_transmission});
    // The alphas the split has no value for are defined.
    EXPECT_TRUE(offers[1].a == 0.0f && offers[3].a == 0.0f);
    EXPECT_EQ(host().count("mi_store_photon"), c.stored ? 1u : 0u);
    EXPECT_EQ(count_reads("front_color") + count_reads("back_color"), layer ? 1u : 0u);
  }
}

TEST_F(Photon, TheClearShareIsASinglePrecisionValue) {
  const float opacity = 0.1f;
  const double clear = static_cast<float>(1.0 - opacity); // 1 - 0.1 is not a float
  for (float reflectance : {0.2f, 0.6f}) {
    SetUp();
    fresnel = reflectance;
    block.params.opacity = opacity;
    shade();
    const float mirror = static_cast<float>(clear * reflectance);
    const float through = static_cast<float>((1.0 - reflectance) * clear);
    EXPECT_EQ(offers[1].r, mirror) << reflectance;
    EXPECT_EQ(offers[3].r, through) << reflectance;
    // The case is one where rounding the share matters.
    EXPECT_TRUE(mirror != static_cast<float>((1.0 - opacity) * reflectance) ||
                through != static_cast<float>((1.0 - reflectance) * (1.0 - opacity)));
  }
}

TEST_F(Photon, BoostRaisesTheReflectance) {
  struct Case {
    float boost, fresnel, reflectance;
  };
  const Case cases[] = {{0.5f, 0.2f, 0.4f},
                        {0.5f, 0.5f, 1.0f},
                        {0.5f, 0.6f, 1.0f},
                        {1.0f, 0.0f, 1.0f},
                        {3.0f, 0.3f, 1.0f},
                        {0.0f, 0.3f, 0.3f},
                        {-1.0f, 0.3f, 0.3f},
                        {1.0f, -0.5f, 1.0f}, // below 0: no division by 0
                        // Photons scale only what lies below the headroom: a reflectance
                        // that is not a number mirrors, where the material shader keeps it.
                        {0.5f, std::nanf(""), 1.0f}};
  for (const Case &c : cases) {
    SetUp();
    block.params.reflection_boost = c.boost;
    fresnel = c.fresnel;
    shade();
    SCOPED_TRACE(testing::Message() << c.boost << " " << c.fresnel);
    EXPECT_EQ(offers[1].r, c.reflectance);
    EXPECT_EQ(offers[3].r, static_cast<float>(1.0 - c.reflectance));
    EXPECT_EQ(count_reads("reflection_boost"), c.boost > 0 ? 2u : 1u);
  }
}

// Photons clamp only what lies outside 0..1: a NaN opacity is handed on to
// the renderer's odds with the layer offered, where the material shader
// takes it for no coating.
TEST_F(Photon, ANaNOpacityReachesTheOddsWithTheLayerOffered) {
  block.params.opacity = std::nanf("");
  shade();
  ASSERT_NE(offered[0], nullptr);
  ASSERT_NE(offered[2], nullptr);
  EXPECT_TRUE(std::isnan(offers[1].r));
  EXPECT_TRUE(std::isnan(offers[3].r));
  EXPECT_TRUE(std::isnan(offers[0].r));
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
      // Entering: from the outside into the glass.
      EXPECT_EQ(fresnel_ior_in, medium == 0 ? 1.0f : own == 1 ? 1.3f : 1.2f);
      EXPECT_EQ(fresnel_ior_out, own == 1 ? 1.7f : 1.5f);
      EXPECT_TRUE(sb.state.ior_in == fresnel_ior_in && sb.state.ior_out == fresnel_ior_out);
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
    std::vector<std::pair<HostState *, float>> stores;
    host().mi_store_photon = [&](Colour *e, HostState *s) {
      stores.emplace_back(s, e->g);
      return 1;
    };
    shade();
    SCOPED_TRACE(testing::Message() << "chain of " << c.chain.size() << " own " << c.own_type);
    // The photon is stored at this hit, as it arrived.
    using Stores = std::vector<std::pair<HostState *, float>>;
    const Stores expected = c.stored ? Stores{{&sb.state, 4.0f}} : Stores{};
    EXPECT_EQ(stores, expected);
  }
}

TEST_F(Photon, EachScatterTypeReturnsItsOwnResult) {
  struct Case {
    int type;
    const char *last_call;
  };
  const Case cases[] = {
      {8, "mi_choose_simple_scatter_type"},  {9, "mi_choose_simple_scatter_type"},
      {11, "mi_choose_simple_scatter_type"}, {14, "mi_choose_simple_scatter_type"},
      {-1, "mi_choose_simple_scatter_type"}, {10, "mi_photon_reflection_specular"},
      {12, "mi_photon_reflection_diffuse"},  {13, "mi_photon_transmission_specular"},
      {15, "mi_photon_transmission_diffuse"}};
  for (const Case &c : cases) {
    for (int answer : {0, 1}) {
      SetUp();
      block.params.opacity = 0.5f;
      scatter_type = c.type;
      continuation_answer = answer;
      const int result = shade();
      SCOPED_TRACE(c.type);
      const bool goes_on = c.type >= 10 && c.type != 11 && c.type != 14;
      EXPECT_EQ(result, goes_on ? answer : c.type == 8 ? 1 : 0);
      EXPECT_EQ(host().calls.back(), c.last_call);
      EXPECT_EQ(std::vector<float>({energy.r, energy.g, energy.b, energy.a}),
                std::vector<float>({2.0f, 4.0f, 8.0f, 0.75f}));
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
