// Progressive passes: each pass's photons and samples depend only on its
// index, the caustic radius shrinks by the progressive rule, ranges of
// passes average to the whole render, threads and crops change nothing, and
// the command line's pass options and time budget do what they say.
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

#include "ball_lens_reference.h"
#include "render/caustics.h"
#include "test_scenes.h"

namespace vr {
namespace {

using test::expect_same_pixels;
using test::make_scene;
using test::TestScene;

// Every kind of caustic lookup, with gather, and splats smoothed over discs
// that reach across crops.
std::string scene(int passes) {
  return test::ball_and_crystal(R"({"samples": 4, "gather_rays": 2, "caustic_photons": 20000,
      "caustic_smoothing": 64, "passes": )" +
                                std::to_string(passes) + "}");
}

Framebuffer render(TestScene &t, int threads, Region region, int first = 0, int end = 0,
                   RenderStats *stats = nullptr) {
  RenderSettings settings;
  settings.threads = threads;
  settings.region = region;
  settings.first_pass = first;
  settings.end_pass = end;
  return render_image(t.rc, settings, stats);
}

TEST(CausticPasses, TheRadiusShrinksByTheProgressiveRule) {
  // r_(i+1)^2 = r_i^2 (i + alpha) / (i + 1), from the first pass's radius.
  double r2 = 0.04 * 0.04;
  for (uint32_t pass = 0; pass < 50; ++pass) {
    EXPECT_NEAR(pass_radius(0.04, pass), std::sqrt(r2), 1e-15) << pass;
    r2 *= (pass + 1 + kRadiusAlpha) / (pass + 2);
  }
  // Each pass holds fewer photons in its radius than the one before, but the
  // sum over passes of what they hold grows without bound: the estimate
  // converges while the blur vanishes.
  double held = 0, area = 1;
  for (uint32_t pass = 0; pass < 100000; ++pass, area *= (pass + kRadiusAlpha) / (pass + 1))
    held += area;
  EXPECT_GT(held, 30);
  EXPECT_LT(area, 0.03);
  EXPECT_NEAR(std::pow(pass_radius(1, 99999), 2), area * (100000 + 1) / (99999 + 1 + kRadiusAlpha),
              1e-9);

  // The statistics give each pass's photons and radius; caustic_radius sets
  // the first.
  auto t = make_scene(scene(3));
  t->scene.options.caustic_radius = 0.05;
  RenderStats stats;
  render(*t, 2, {0, 0, 24, 14}, 0, 0, &stats);
  ASSERT_EQ(stats.caustics.passes.size(), 3u);
  EXPECT_EQ(stats.passes, 3);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(stats.caustics.passes[i].emitted, 20000u);
    EXPECT_GT(stats.caustics.passes[i].stored, 0u);
    EXPECT_DOUBLE_EQ(stats.caustics.passes[i].radius, pass_radius(0.05, i));
  }
  // Each pass traces fresh photons: the passes store different numbers.
  EXPECT_NE(stats.caustics.passes[0].stored + stats.caustics.passes[0].splats,
            stats.caustics.passes[1].stored + stats.caustics.passes[1].splats);
}

TEST(CausticPasses, RangesOfPassesAverageToTheWholeRender) {
  auto t = make_scene(scene(4));
  Region all{0, 0, 24, 14};
  Framebuffer whole = render(*t, 2, all);
  Framebuffer first = render(*t, 2, all, 0, 2), second = render(*t, 1, all, 2, 4);
  EXPECT_NE(first.rgba, second.rgba);
  for (size_t i = 0; i < whole.rgba.size(); ++i) {
    float average = (first.rgba[i] + second.rgba[i]) / 2;
    ASSERT_NEAR(average, whole.rgba[i], 1e-5f * std::max(1.0f, whole.rgba[i])) << i;
  }
  // The samples are split among the passes: 4 samples in 4 passes are one
  // each, and more passes than samples give every pass one.
  EXPECT_EQ(samples_per_pass(4, 4), 1);
  EXPECT_EQ(samples_per_pass(16, 3), 6);
  EXPECT_EQ(samples_per_pass(2, 8), 1);
  EXPECT_EQ(samples_per_pass(16, 1), 16);
}

TEST(CausticDeterminism, PassesGiveTheSameImageOnAnyThreadCountAndStitchInCrops) {
  auto t = make_scene(scene(3));
  Framebuffer full = render(*t, 2, {0, 0, 24, 14});
  EXPECT_EQ(render(*t, 1, {0, 0, 24, 14}).rgba, full.rgba);
  for (Region r : {Region{0, 0, 10, 14}, Region{10, 0, 24, 5}, Region{10, 5, 24, 14}})
    expect_same_pixels(render(*t, 1, r), full);
}

TEST(CausticPasses, TheMapIsKeptOnlyWhereALookupCanReadIt) {
  // The ball lens's camera sees only the floor and there is no gather: every
  // caustic it shows is splatted, and no photon is kept for a map.
  ball_lens::Setup setup;
  setup.width = setup.height = 16;
  std::string json = ball_lens::scene_json(setup, 20000, 1, 1);
  auto stats_of = [](const std::string &text) {
    auto t = make_scene(text);
    RenderStats stats;
    render(*t, 2, {0, 0, t->scene.camera.width, t->scene.camera.height}, 0, 0, &stats);
    return stats.caustics;
  };
  CausticStats floor_only = stats_of(json);
  EXPECT_EQ(floor_only.stored, 0u);
  EXPECT_GT(floor_only.splats, 0u);
  // Gather rays look the map up on every diffuse surface.
  std::string gathered = json;
  gathered.replace(gathered.find(R"("gather_rays": 0)"), 16, R"("gather_rays": 1)");
  EXPECT_GT(stats_of(gathered).stored, 0u);
  // So do the rays of glass in view, even of glass that no light illuminates
  // (its refracted rays can land on the ball's caustic).
  std::string pane = json;
  pane.replace(pane.rfind("]}"), 2, R"(, {"shape": "quad", "size": [0.2, 0.2], "lights": [],
      "transform": {"rotate": [90, 0, 0], "translate": [0, 1.33, 2.52]},
      "material": {"type": "glass"}}]})");
  EXPECT_GT(stats_of(pane).stored, 0u);
}

// The command line on a small default scene, split at spaces.
test::Outcome run_renderer(const std::string &args) {
  std::vector<std::string> argv = {"--size",    "32x18", "--spp", "2",
                                   "--photons", "20000", "-o",    test::temp_path("passes.png")};
  std::istringstream words(args);
  for (std::string w; words >> w;) argv.push_back(w);
  return test::run(argv);
}

TEST(CausticPasses, TheCommandLineRendersPassesForATimeOrARange) {
  // --stats gives every pass's photons and radius.
  test::Outcome three = run_renderer("-q --stats --passes 3");
  ASSERT_EQ(three.code, 0) << three.err;
  EXPECT_NE(three.err.find("pass 3: 20000 photons emitted"), std::string::npos) << three.err;
  EXPECT_NE(three.err.find("3 passes of 1 sample,"), std::string::npos) << three.err;
  // A budget that the first pass crosses stops after it, and says so.
  test::Outcome timed = run_renderer("--time 0.000001");
  ASSERT_EQ(timed.code, 0) << timed.err;
  EXPECT_NE(timed.err.find("vitrel-render: 1 pass in"), std::string::npos) << timed.err;
  // --passes caps a budget that would allow more.
  test::Outcome capped = run_renderer("--time 1000 --passes 2");
  EXPECT_NE(capped.err.find("vitrel-render: 2 passes in"), std::string::npos) << capped.err;
  // A range must lie within the frame's passes, and a budget renders from
  // the first pass.
  test::Outcome range = run_renderer("-q --passes 4 --pass-range 2,5");
  EXPECT_EQ(range.code, 2);
  EXPECT_NE(range.err.find("--pass-range 2,5: expected FIRST,END with 0 <= FIRST < END <= 4"),
            std::string::npos)
      << range.err;
  EXPECT_EQ(run_renderer("-q --passes 4 --pass-range 0,2 --time 5").code, 2);
  EXPECT_EQ(run_renderer("-q --passes 0").code, 2);
}

} // namespace
} // namespace vr
