// Caustics checked against analytic values: light through a slab of glass
// under a point light, the storing rules of the photon pass, and the same
// map and picture for any thread count or crop.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "core/hash.h"
#include "photon/photon_map.h"
#include "photon/photon_pass.h"
#include "photon/photon_path.h"
#include "render/caustics.h"
#include "shading/tracer.h"
#include "test_scenes.h"

namespace vr {
namespace {

using test::expect_same_pixels;
using test::make_scene;
using test::pixel;
using test::render_full;
using test::TestScene;

// A slab of glass 2 x 0.2 x 2 whose middle is 1 above a white floor, under a
// point light 50 above, in a black world without gather. The camera looks
// under the slab at the floor straight below it, so it sees the light that
// came through the slab and never the slab itself. The light is far enough
// that its rays cross the slab at nearly normal incidence and that the slab's
// narrowing of their spread (it brings the light's image 0.067 nearer)
// brightens the floor by only 0.3 %.
std::string slab_scene(const std::string &slab, const std::string &options = "") {
  std::string objects =
      R"({"shape": "quad", "size": [40, 40], "material": {"type": "diffuse", "color": [1, 1, 1]}})";
  if (!slab.empty())
    objects += R"(, {"shape": "box", "size": [2, 0.2, 2], "transform": {"translate": [0, 1, 0]},
                     "material": )" +
               slab + "}";
  return R"({"camera": {"position": [0, 0.6, 2], "target": [0, 0, 0], "fov": 4,
                        "resolution": [8, 8]},
      "options": {"samples": 4, "gather_rays": 0, "caustic_photons": 200000,
                  "caustic_neighbours": 64)" +
         options + R"(},
      "environment": {"type": "constant", "color": [0, 0, 0]},
      "lights": [{"type": "point", "position": [0, 50, 0], "intensity": 2500}],
      "objects": [)" +
         objects + "]}";
}

// The mean r, g, b over the image.
Colour mean_colour(const Framebuffer &fb) {
  double sum[3] = {0, 0, 0};
  size_t n = fb.rgba.size() / 4;
  for (size_t i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c) sum[c] += fb.rgba[4 * i + c];
  return {float(sum[0] / n), float(sum[1] / n), float(sum[2] / n), 1};
}

// Light passing a slab at normal incidence: (1 - R) into it, then each pass
// through the body lets tau through, and the light leaves with (1 - R) after
// any even number of inner reflections. The slab also brings the light's
// image nearer by thickness (1 - 1 / n), which narrows the spread of its
// rays: the floor below gets (distance / (distance - that))^2 more.
double slab_transmission(double n, double tau) {
  double r = std::pow((n - 1) / (n + 1), 2);
  double nearer = 0.2 * (1 - 1 / n), distance = 50;
  return (1 - r) * (1 - r) * tau / (1 - r * r * tau * tau) *
         std::pow(distance / (distance - nearer), 2);
}

// The slab tests hold the caustic within this share of the exact value.
constexpr double kSlabTolerance = 0.005;

TEST(Caustics, ClearSlabPassesFresnelTransmissionOntoTheFloor) {
  auto open = make_scene(slab_scene(""));
  auto slab = make_scene(slab_scene(R"({"type": "glass", "preset": "clear"})"));
  Colour without = mean_colour(render_full(*open, 2));
  Colour with = mean_colour(render_full(*slab, 2));
  double expected = slab_transmission(1.5, 1); // 0.926
  ASSERT_GT(without.r, 0);
  for (float ratio : {with.r / without.r, with.g / without.g, with.b / without.b})
    EXPECT_NEAR(ratio, expected, kSlabTolerance * expected);
}

TEST(Caustics, AreaLightsAndOverlappingTargetsKeepTheEstimateUnbiased) {
  // A small area light in place of the point light: its photons start over
  // the rectangle and carry its cosine.
  std::string area = R"("lights": [{"type": "area", "size": [0.5, 0.5], "intensity": 31830,
                                    "transform": {"translate": [0, 50, 0]}}])";
  auto with_light = [&](std::string text) {
    size_t at = text.find(R"("lights": [)");
    text.replace(at, text.find("}],", at) + 2 - at, area);
    return text;
  };
  // A thin glass rod above the slab, off to one side: its bounding sphere
  // (radius 1.5), seen from the light, holds the directions toward the
  // floor the camera sees, though the rod itself shades none of it. Those
  // directions lie in both cones, so they are twice as likely and their
  // photons must carry half the energy.
  std::string rod = R"({"type": "glass", "preset": "clear"}}, {"shape": "box",
      "size": [3, 0.05, 0.05], "transform": {"translate": [0, 2, 0.8]},
      "material": {"type": "glass"})";
  double expected = slab_transmission(1.5, 1);
  for (const std::string &text :
       {with_light(slab_scene(R"({"type": "glass", "preset": "clear"})")), slab_scene(rod)}) {
    auto open = make_scene(text.find("area") != std::string::npos ? with_light(slab_scene(""))
                                                                  : slab_scene(""));
    auto slab = make_scene(text);
    Colour without = mean_colour(render_full(*open, 2));
    Colour with = mean_colour(render_full(*slab, 2));
    ASSERT_GT(without.r, 0);
    EXPECT_NEAR(with.r / without.r, expected, kSlabTolerance * expected);
  }
}

TEST(Caustics, TintedSlabAbsorbsEachChannelByBeerLambert) {
  const double colour[3] = {0.5, 0.7, 0.9}, density = 2, thickness = 0.2;
  auto open = make_scene(slab_scene(""));
  auto slab = make_scene(slab_scene(R"({"type": "glass", "inside_color": [0.5, 0.7, 0.9],
                                        "inside_density": 2})"));
  Colour without = mean_colour(render_full(*open, 2));
  Colour with = mean_colour(render_full(*slab, 2));
  const float got[3] = {with.r / without.r, with.g / without.g, with.b / without.b};
  for (int c = 0; c < 3; ++c) {
    double expected = slab_transmission(1.5, std::pow(colour[c], density * thickness));
    SCOPED_TRACE(c);
    EXPECT_NEAR(got[c], expected, kSlabTolerance * expected);
  }
  EXPECT_LT(got[0], got[1]); // and the tint shows: red is absorbed most
  EXPECT_LT(got[1], got[2]);
}

TEST(Caustics, PhotonSpecularColourTintsTheCausticButNotTheGlass) {
  auto open = make_scene(slab_scene(""));
  auto red = make_scene(slab_scene(R"({"type": "glass", "photon_specular_color": [1, 0, 0]})"));
  Colour without = mean_colour(render_full(*open, 2));
  Colour caustic = mean_colour(render_full(*red, 2));
  double expected = slab_transmission(1.5, 1);
  EXPECT_NEAR(caustic.r / without.r, expected, 0.05 * expected);
  EXPECT_EQ(caustic.g, 0);
  EXPECT_EQ(caustic.b, 0);

  // Seen by the camera, with the photon map off, the glass is the same
  // whatever colour its photons take: only the photon shader reads it.
  const std::string view =
      R"({"camera": {"position": [0, 3, 3], "target": [0, 1, 0], "resolution": [16, 12]},
          "options": {"samples": 2, "gather_rays": 2, "caustic_photons": 0},
          "environment": {"type": "gradient", "zenith": [0.2, 0.3, 0.8], "horizon": [1, 1, 1]},
          "lights": [{"type": "point", "position": [1, 4, 2], "intensity": 40}],
          "objects": [{"shape": "quad", "size": [10, 10]},
                      {"shape": "sphere", "radius": 0.8, "transform": {"translate": [0, 1, 0]},
                       "material": {"type": "glass", "photon_specular_color": COLOUR}}]})";
  auto with_colour = [&](const char *colour) {
    std::string text = view;
    text.replace(text.find("COLOUR"), 6, colour);
    return make_scene(text);
  };
  auto white = with_colour("[1, 1, 1]"), reddish = with_colour("[1, 0, 0]");
  EXPECT_EQ(render_full(*white).rgba, render_full(*reddish).rgba);
}

// `count` photons of energy `e` spread at random over a square of side 2
// around the origin on the floor, with the given normal and direction codes,
// estimated within `radius`.
CausticMap uniform_map(int count, float e, uint16_t normal, uint16_t direction,
                       double radius = 0.025) {
  std::vector<StoredPhoton> photons(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    StoredPhoton &p = photons[static_cast<size_t>(i)];
    uint64_t h = hash_combine(7, static_cast<uint64_t>(i));
    p.position[0] = float(2 * unit_from_bits(uint32_t(h)) - 1);
    p.position[1] = 0;
    p.position[2] = float(2 * unit_from_bits(uint32_t(h >> 32)) - 1);
    p.energy[0] = p.energy[1] = p.energy[2] = e;
    p.normal = normal;
    p.direction = direction;
  }
  CausticMap map;
  build_caustic_map(std::move(photons), radius, &map);
  return map;
}

TEST(CausticEstimate, AUniformDensityGivesItsIrradianceExactly) {
  // 200,000 photons of 1e-4 over 4 square units: irradiance 5, radiance per
  // unit albedo 5 / pi. Averaged over many points the fixed-radius kernel
  // estimate is unbiased: each photon's kernel integrates to one.
  uint16_t up = encode_direction({0, 1, 0}), down = encode_direction({0, -1, 0});
  CausticMap map = uniform_map(200000, 1e-4f, up, down);
  double sum = 0;
  int n = 0;
  for (double x = -0.5; x <= 0.5; x += 0.02)
    for (double z = -0.5; z <= 0.5; z += 0.02, ++n)
      sum += caustic_estimate(map, {x, 0, z}, {0, 1, 0}).r;
  EXPECT_NEAR(sum / n, 5 / kPi, 0.015 * 5 / kPi);
  // A radius that holds a single photon on average still estimates the same
  // irradiance, only noisier.
  CausticMap single = uniform_map(200000, 1e-4f, up, down, std::sqrt(4 / (kPi * 200000)));
  sum = 0;
  n = 0;
  for (double x = -0.5; x <= 0.5; x += 0.005)
    for (double z = -0.5; z <= 0.5; z += 0.005, ++n)
      sum += caustic_estimate(single, {x, 0, z}, {0, 1, 0}).r;
  EXPECT_NEAR(sum / n, 5 / kPi, 0.05 * 5 / kPi);
  // Seen from below, or on photons that arrived from below, there is nothing.
  EXPECT_EQ(caustic_estimate(map, {0, 0, 0}, {0, -1, 0}).r, 0);
  CausticMap from_below = uniform_map(20000, 1e-4f, up, encode_direction({0, 1, 0}));
  EXPECT_EQ(caustic_estimate(from_below, {0, 0, 0}, {0, 1, 0}).r, 0);
  // Far from every photon, beyond the radius: nothing either.
  EXPECT_EQ(caustic_estimate(map, {3, 0, 0}, {0, 1, 0}).r, 0);
}

TEST(CausticEstimate, DirectionsSurviveTheirSixteenBits) {
  for (V3 d : {V3{0, 1, 0}, V3{0, -1, 0}, V3{1, 0, 0}, V3{0.3, -0.8, 0.52}, V3{-0.6, 0.1, -0.79}}) {
    V3 unit = normalize(d), back = decode_direction(encode_direction(unit));
    EXPECT_GT(dot(unit, back), std::cos(1.5 * kPi / 180)) << d.x << " " << d.y << " " << d.z;
  }
}

// Photons sent by hand from the light of a scene straight down at (x, z).
struct HandTraced {
  size_t stored = 0;
  std::vector<StoredPhoton> photons;
};

// Each hits something first (the answer of its first continuation), though
// one reflected back up may then fly off into the world.
HandTraced drop_photons(TestScene &t, double x, double z, int count) {
  PhotonSink sink;
  t.tc.photons = &sink;
  for (int i = 0; i < count; ++i) {
    RenderState &light = open_root_state(t.tc, VITREL_RAY_PHOTON_FROM_LIGHT, 1000 + i);
    light.light = 0;
    light.point = {x, 50, z};
    light.geo_normal = {0, 0, 0};
    continue_photon(light, VITREL_RAY_PHOTON_FROM_LIGHT, {1, 1, 1, 1}, {0, -1, 0});
    EXPECT_NE(light.host.child, nullptr);
  }
  t.tc.photons = nullptr;
  return {sink.photons.size(), sink.photons};
}

TEST(PhotonStore, OnlyPhotonsThatMetGlassAreStoredOnTheFloor) {
  auto t = make_scene(slab_scene(R"({"type": "glass", "preset": "clear"})"));
  // Straight from the light onto the open floor: absorbed, never stored.
  EXPECT_EQ(drop_photons(*t, 3, 0, 64).stored, 0u);
  // Through the slab: stored where they land, unless the roulette reflected
  // them back up (4 % at each face).
  HandTraced through = drop_photons(*t, 0.25, -0.5, 64);
  EXPECT_GT(through.stored, 50u);
  for (const StoredPhoton &p : through.photons) {
    EXPECT_NEAR(p.position[0], 0.25, 1e-3);
    EXPECT_NEAR(p.position[1], 0, 1e-4);
    EXPECT_NEAR(p.position[2], -0.5, 1e-3);
    EXPECT_NEAR(decode_direction(p.direction).y, -1, 0.01);
    EXPECT_NEAR(decode_direction(p.normal).y, 1, 0.01);
    EXPECT_NEAR(p.energy[0], 1, 0.2); // compensated by the roulette: about 1 - R over (1 - R)
  }
}

TEST(PhotonStore, OneScatterAtGlassMakesACausticPhoton) {
  // A single glass face over the floor: a photon refracted once, by one
  // surface, lands as a caustic photon like one that crossed a whole slab.
  auto t = make_scene(R"({"options": {"caustic_photons": 1000},
      "lights": [{"type": "point", "position": [0, 50, 0], "intensity": 2500}],
      "objects": [{"shape": "quad", "size": [40, 40], "material": {"type": "diffuse"}},
                  {"shape": "quad", "size": [2, 2], "transform": {"translate": [0, 1, 0]},
                   "material": {"type": "glass", "preset": "clear"}}]})");
  HandTraced once = drop_photons(*t, 0.25, -0.5, 64);
  EXPECT_GT(once.stored, 50u); // all but the few the roulette reflected back up
  for (const StoredPhoton &p : once.photons) EXPECT_NEAR(p.position[1], 0, 1e-4);
}

TEST(PhotonStore, TheOpaqueLayerStoresThroughTheModule) {
  // A glass plate with a fully opaque white layer as the floor, a clear slab
  // above part of it.
  auto t = make_scene(R"({"options": {"caustic_photons": 1000},
      "lights": [{"type": "point", "position": [0, 50, 0], "intensity": 2500}],
      "objects": [{"shape": "box", "size": [10, 0.1, 10], "transform": {"translate": [0, -0.05, 0]},
                   "material": {"type": "glass", "opacity": 1, "front_color": [1, 1, 1]}},
                  {"shape": "box", "size": [2, 0.2, 2], "transform": {"translate": [0, 1, 0]},
                   "material": {"type": "glass", "preset": "clear"}}]})");
  // The layer reflects every photon diffusely; one that comes back down (off
  // the slab's underside, or through it) is stored, but none where it first
  // landed straight from the light.
  auto first_landings = [](const HandTraced &h, double x) {
    int n = 0;
    for (const StoredPhoton &p : h.photons) {
      EXPECT_NEAR(p.position[1], 0, 1e-4);
      n += std::fabs(p.position[0] - x) < 1e-3 && std::fabs(p.position[2]) < 1e-3 &&
           decode_direction(p.direction).y < -0.999;
    }
    return n;
  };
  EXPECT_EQ(first_landings(drop_photons(*t, 3, 0, 32), 3), 0);
  // Through the slab first: stored by the layer's photon shader where it lands.
  EXPECT_GE(first_landings(drop_photons(*t, 0, 0, 32), 0), 28);
}

TEST(PhotonStore, TheWholePassStoresOnlyUnderTheGlass) {
  auto t = make_scene(slab_scene(R"({"type": "glass", "preset": "clear"})"));
  EmissionPlan plan = plan_emission(t->scene, 20000);
  ASSERT_EQ(plan.emitters.size(), 1u);
  EXPECT_EQ(plan.photons, 20000u);
  PhotonPass pass = run_photon_pass(t->rc, plan, 2, {});
  EXPECT_EQ(pass.emitted, 20000u);
  // The slab fills most of its bounding sphere's cone from the light.
  EXPECT_GT(pass.photons.size(), 8000u);
  for (const StoredPhoton &p : pass.photons) {
    ASSERT_NEAR(p.position[1], 0, 1e-4);
    // Under the slab: its 2 x 2 top, widened by the light's spread to the floor.
    ASSERT_LE(std::fabs(p.position[0]), 1.12);
    ASSERT_LE(std::fabs(p.position[2]), 1.12);
  }
}

TEST(PhotonStore, ALightThrowsNoCausticThroughGlassItDoesNotLight) {
  std::string text = slab_scene(R"({"type": "glass", "preset": "clear"})");
  // The slab names no light of the scene's (an empty list): it is lit by none.
  text.replace(text.find(R"("material": {"type": "glass")"), 11, R"("lights": [], "material":)");
  auto t = make_scene(text);
  EXPECT_TRUE(plan_emission(t->scene, 1000).emitters.empty());
  EXPECT_EQ(drop_photons(*t, 0, 0, 16).stored, 0u);
}

TEST(CausticDeterminism, ThePhotonMapIsTheSameForAnyThreadCount) {
  auto t = make_scene(slab_scene(R"({"type": "glass", "preset": "frosted"})"));
  EmissionPlan plan = plan_emission(t->scene, 30000);
  PhotonPass one = run_photon_pass(t->rc, plan, 1, {}), two = run_photon_pass(t->rc, plan, 2, {});
  ASSERT_EQ(one.photons.size(), two.photons.size());
  ASSERT_GT(one.photons.size(), 0u);
  EXPECT_EQ(std::memcmp(one.photons.data(), two.photons.data(),
                        one.photons.size() * sizeof(StoredPhoton)),
            0);
}

std::string caustic_scene() {
  return test::ball_and_crystal(
      R"({"samples": 2, "gather_rays": 2, "caustic_photons": 40000, "caustic_neighbours": 16})");
}

TEST(CausticDeterminism, OneAndTwoThreadsGiveTheSameImage) {
  auto t = make_scene(caustic_scene());
  Framebuffer one = render_full(*t, 1), two = render_full(*t, 2);
  EXPECT_EQ(one.rgba, two.rgba);
  // ... and the caustic is in it: without photons the floor is darker.
  auto dark = make_scene(caustic_scene().replace(caustic_scene().find("40000"), 5, "0"));
  EXPECT_NE(render_full(*dark, 2).rgba, one.rgba);
}

TEST(CausticDeterminism, CropsRunTheWholePassAndStitch) {
  auto t = make_scene(caustic_scene());
  Framebuffer full = render_full(*t, 2);
  for (Region r : {Region{0, 0, 10, 14}, Region{10, 0, 24, 5}, Region{10, 5, 24, 14}}) {
    RenderSettings settings;
    settings.region = r;
    settings.threads = 1;
    RenderStats stats;
    Framebuffer piece = render_image(t->rc, settings, &stats);
    EXPECT_EQ(stats.caustics.emitted, 40000u);
    EXPECT_GT(stats.caustics.stored, 0u);
    expect_same_pixels(piece, full);
  }
}

} // namespace
} // namespace vr
