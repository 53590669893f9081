// A photon that goes on: its new energy, the tint of the medium it came
// through, dispersion and blur, and what the glass leaves defined when the
// renderer does not answer as expected.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "optics/optics.h"
#include "photon_fixture.h"

namespace {

using phototest::expect_rgb;
using phototest::kMirror;
using phototest::kRefracted;
using phototest::Photon;
using phototest::Rgb;
using phototest::same;
using testhost::host;

Vector jittered(Vector base, float amount, float s1, float s2) {
  Vector out;
  glass::jitter_direction(&out, &base, amount, s1, s2);
  return out;
}

TEST_F(Photon, SpecularFilterTakesTheTintOfTheMediumCrossed) {
  struct Case {
    uint8_t inverted;
    int32_t outside_medium;
    double hit_distance;
    Rgb energy;
    bool inside_read, outside_read;
  };
  const Case cases[] = {
      {1, 0, 2.0, {0.25f, 4.0f, 0.25f}, true, false},  // from inside the glass
      {0, 2, 2.0, {0.0625f, 1.0f, 4.0f}, false, true}, // from an outside medium
      {0, 0, 2.0, {1.0f, 4.0f, 4.0f}, false, false},   // through vacuum
      {1, 0, 0.0, {1.0f, 4.0f, 4.0f}, true, false},    // no path: even a 0 channel passes
  };
  for (int type : {10, 13}) {
    for (const Case &c : cases) {
      SetUp();
      GlassParams &p = block.params;
      p.photon_specular_color = {0.5f, 1.0f, 1.0f, 0.3f};
      p.inside_color = {0.5f, 1.0f, 0.0f, 1.0f};
      if (c.hit_distance != 0.0) p.inside_color.b = 0.25f;
      p.outside_color = {0.25f, 0.5f, 1.0f, 1.0f};
      p.inside_density = p.outside_density = 1.0f;
      p.outside_medium = c.outside_medium;
      sb.state.inverted_normal = c.inverted;
      sb.state.hit_distance = c.hit_distance;
      HostState child{};
      child.hit_distance = 5.0; // the photon's own path counts, not a child's
      sb.state.child = &child;
      scatter_type = type;
      rewrite_chosen = [](Colour *chosen) { *chosen = {1.0f, 1.0f, 0.5f, 0.0f}; };
      shade();
      SCOPED_TRACE(testing::Message() << "type " << type << " inverted " << int(c.inverted)
                                      << " medium " << c.outside_medium);
      expect_rgb(emitted_energy, c.energy);
      EXPECT_EQ(emitted_energy.a, 0.75f); // the arriving alpha
      EXPECT_EQ(count_reads("inside_color") + count_reads("inside_density"),
                c.inside_read ? 2u : 0u);
      EXPECT_EQ(count_reads("outside_color") + count_reads("outside_density"),
                c.outside_read ? 2u : 0u);
      EXPECT_EQ(energy.g, 4.0f);
      EXPECT_EQ(energy.b, 8.0f);
    }
  }
}

TEST_F(Photon, DiffuseScatteringTakesTheLayerFilterAlone) {
  for (int type : {12, 15}) {
    SetUp();
    GlassParams &p = block.params;
    p.opacity = 0.25f; // diffuse reflection 1/16, diffuse transmission 3/16
    p.back_color = {1.0f, 1.0f, 1.0f, 1.0f};
    p.photon_diffuse_color = {0.5f, 0.25f, 1.0f, 1.0f};
    p.inside_color = {0.1f, 0.1f, 0.1f, 1.0f};
    p.inside_density = 3.0f;
    p.samples = 8;
    p.blur = 0.5f;
    p.dispersion = 0.2f;
    sb.state.inverted_normal = 1;
    scatter_type = type;
    const Colour before = energy;
    EXPECT_EQ(shade(), 1);
    SCOPED_TRACE(type);
    const float share = type == 12 ? 0.0625f : 0.1875f;
    expect_rgb(emitted_energy, {share, share, 8.0f * share});
    // After the choice: the filter, the direction and the continuation alone.
    const std::vector<std::string> all = events();
    const auto choice = std::find(all.begin(), all.end(), "mi_choose_simple_scatter_type");
    const std::vector<std::string> expected =
        type == 12
            ? std::vector<std::string>{"param:photon_diffuse_color", "mi_reflection_dir_diffuse",
                                       "mi_photon_reflection_diffuse"}
            : std::vector<std::string>{"param:photon_diffuse_color", "mi_transmission_dir_diffuse",
                                       "mi_photon_transmission_diffuse"};
    EXPECT_EQ(std::vector<std::string>(choice + 1, all.end()), expected);
    EXPECT_TRUE(
        same(emitted_direction, type == 12 ? phototest::kDiffuseUp : phototest::kDiffuseDown));
    EXPECT_EQ(std::memcmp(&energy, &before, sizeof energy), 0);
  }
}

TEST_F(Photon, BlurAndDispersionHaveTheirOwnGates) {
  struct Case {
    int32_t samples;
    float blur, dispersion;
    int32_t dispersion_off, blur_off;
    std::vector<int> dimensions; // samples drawn, in order
  };
  const Case cases[] = {
      {0, 0.1f, 0.05f, 0, 0, {}},     // no sampling at all
      {-1, 0.1f, 0.05f, 0, 0, {2}},   // blur but no dispersion
      {4, 0.1f, 0.05f, 1, 0, {2}},    // photons kept undispersed
      {4, 0.1f, 0.05f, 7, 0, {2}},    // ... by any nonzero switch
      {4, 0.1f, 0.05f, 0, 1, {1}},    // only 1 keeps photons sharp
      {4, 0.1f, 0.05f, 0, 2, {1, 2}}, // every other value blurs
      {4, -0.2f, 0.0f, 0, 0, {2}},    // negative blur still jitters
      {4, 0.0f, -0.05f, 0, 0, {}},    // neither applies
  };
  for (const Case &c : cases) {
    SetUp();
    GlassParams &p = block.params;
    p.samples = c.samples;
    p.blur = c.blur;
    p.dispersion = c.dispersion;
    p.photon_dispersion_off = c.dispersion_off;
    p.photon_blur_off = c.blur_off;
    p.spectrum_weight = 1.0f;
    shade();
    SCOPED_TRACE(testing::Message() << "samples " << c.samples << " blur " << c.blur
                                    << " dispersion " << c.dispersion);
    EXPECT_EQ(sample_dimensions, c.dimensions);
    const bool dispersed = !c.dimensions.empty() && c.dimensions[0] == 1;
    const bool blurred = !c.dimensions.empty() && c.dimensions.back() == 2;
    EXPECT_EQ(count_reads("photon_dispersion_off"), c.dispersion > 0 ? 1u : 0u);
    EXPECT_EQ(count_reads("photon_blur_off"), c.blur != 0 ? 1u : 0u);
    EXPECT_EQ(count_reads("spectrum_weight"), dispersed ? 1u : 0u);
    expect_rgb(energy, dispersed ? Rgb{4.0f, 8.0f, 0.0f} : Rgb{2.0f, 4.0f, 8.0f});
    EXPECT_EQ(transmit_ior_out,
              dispersed ? 1.5f + static_cast<float>(-0.125 * c.dispersion) : 1.5f);
    const Vector expected = blurred ? jittered(kRefracted, c.blur, 0.25f, 0.75f) : kRefracted;
    EXPECT_TRUE(same(emitted_direction, expected));
  }
}

TEST_F(Photon, DispersionTintsTheArrivalAndMovesTheTransmittedIndex) {
  struct Case {
    float weight;
    uint8_t inverted; // 1: leaving, into the outside medium
    Rgb tinted;
    float ior_in, ior_out;
  };
  // u = 0.375: spectral weights (2, 2, 0); offset (0.375 - 0.5) * 0.08 = -0.01.
  const Case cases[] = {{0.0f, 0, {2.0f, 4.0f, 8.0f}, 1.2f, 1.49f},
                        {0.5f, 0, {3.0f, 6.0f, 4.0f}, 1.2f, 1.49f},
                        {1.0f, 1, {4.0f, 8.0f, 0.0f}, 1.5f, 1.19f}};
  for (const Case &c : cases) {
    SetUp();
    GlassParams &p = block.params;
    p.outside_medium = 1;
    p.outside_ior = 1.2f;
    p.samples = 1;
    p.dispersion = 0.08f;
    p.spectrum_weight = c.weight;
    sb.state.inverted_normal = c.inverted;
    rewrite_chosen = [](Colour *chosen) { *chosen = {1.0f, 1.0f, 1.0f, 1.0f}; };
    shade();
    SCOPED_TRACE(c.weight);
    expect_rgb(energy, c.tinted); // the shader's own energy, after the call
    expect_rgb(emitted_energy, c.tinted);
    EXPECT_EQ(energy.a, 0.75f);
    EXPECT_EQ(transmit_ior_in, c.ior_in); // the incident side is never moved
    EXPECT_FLOAT_EQ(transmit_ior_out, c.ior_out);
  }
}

TEST_F(Photon, SpecularReflectionBlursAboutTheMirror) {
  block.params.samples = 2;
  block.params.blur = 0.3f;
  block.params.dispersion = 0.1f; // never for a reflection
  scatter_type = 10;
  shade();
  EXPECT_EQ(sample_dimensions, std::vector<int>{2});
  EXPECT_EQ(count_reads("dispersion"), 0u);
  EXPECT_TRUE(same(emitted_direction, jittered(kMirror, 0.3f, 0.25f, 0.75f)));
  EXPECT_EQ(energy.r, 2.0f);
}

// What the glass makes defined where the renderer leaves something open.

TEST_F(Photon, SilentRendererLeavesDefinedSamplesAndDirections) {
  block.params.samples = 2;
  block.params.blur = 0.1f;
  block.params.dispersion = 0.05f;
  block.params.spectrum_weight = 1.0f;
  host_writes = false;
  shade();
  // The middle of the spectrum: the index stays, the energy turns green.
  EXPECT_EQ(transmit_ior_out, 1.5f);
  expect_rgb(energy, {0.0f, 16.0f, 0.0f});
  // A photon given no direction carries straight on, blurred.
  EXPECT_TRUE(same(emitted_direction, jittered(sb.state.direction, 0.1f, 0.5f, 0.5f)));
}

TEST_F(Photon, BrightPhotonsStayFinite) {
  block.params.photon_specular_color = {1e30f, 1e30f, -1e30f, 1.0f};
  energy = {1e30f, 1e20f, 1e30f, 1.0f};
  rewrite_chosen = [](Colour *chosen) { *chosen = {1.0f, 1e-20f, 1.0f, 1.0f}; };
  shade();
  EXPECT_EQ(emitted_energy.r, FLT_MAX);
  EXPECT_FLOAT_EQ(emitted_energy.g, 1e30f);
  EXPECT_EQ(emitted_energy.b, -FLT_MAX);
}

TEST_F(Photon, AbsorptionPastTheDoubleRangeStaysFinite) {
  // A glass that brightens a channel (absorption colour 2) over a path long
  // enough for the exponential to overflow even in double precision: the
  // filter saturates, and a channel the photon does not carry stays 0 rather
  // than becoming 0 x infinity.
  GlassParams &p = block.params;
  p.inside_color = {2.0f, 2.0f, 1.0f, 1.0f};
  p.inside_density = 1.0f;
  sb.state.inverted_normal = 1;
  sb.state.hit_distance = 1e30;
  energy = {0.0f, 1.0f, 1.0f, 1.0f};
  scatter_type = 10;
  shade();
  EXPECT_EQ(emitted_energy.r, 0.0f);
  // The saturated filter times the reflected share 0.2.
  EXPECT_FLOAT_EQ(emitted_energy.g, FLT_MAX * 0.2f);
  EXPECT_TRUE(std::isfinite(emitted_energy.b));
}

TEST_F(Photon, DiffuseTypeNotOfferedEmitsNoEnergy) {
  // Without a layer the diffuse colours go over as null; a renderer that picks
  // one anyway gets a black photon, not garbage.
  for (int type : {12, 15}) {
    SetUp();
    scatter_type = type;
    EXPECT_EQ(shade(), 1);
    expect_rgb(emitted_energy, {0.0f, 0.0f, 0.0f});
  }
}

TEST_F(Photon, ParametersAreCopiedWhenRead) {
  // A renderer may evaluate every connected parameter into one scratch buffer.
  alignas(16) unsigned char buffer[16];
  auto run = [&](bool scratch) {
    SetUp();
    GlassParams &p = block.params;
    p.samples = 3;
    p.blur = 0.2f;
    p.dispersion = 0.1f;
    p.spectrum_weight = 0.5f;
    p.photon_specular_color = {0.9f, 0.8f, 0.7f, 1.0f};
    p.inside_color = {0.5f, 0.6f, 0.7f, 1.0f};
    p.inside_density = 0.5f;
    sb.state.inverted_normal = 1;
    if (scratch)
      host().mi_phen_eval = [&](HostState *, void *field) -> void * {
        std::memcpy(buffer, field, sizeof buffer);
        return buffer;
      };
    shade();
    return std::make_tuple(emitted_energy.r, emitted_energy.g, emitted_energy.b,
                           emitted_direction.x, emitted_direction.y, emitted_direction.z,
                           transmit_ior_out);
  };
  EXPECT_EQ(run(true), run(false));
}

} // namespace
