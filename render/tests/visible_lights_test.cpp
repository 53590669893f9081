// What an area light looks like to the rays that can see it: a one-sided
// emitter, its radiance on the side it lights and black from behind, seen
// straight by the camera and in the glass's reflections; a light marked
// invisible is passed through.
#include <cmath>
#include <gtest/gtest.h>

#include "test_scenes.h"

namespace vr {
namespace {

using test::make_scene;
using test::pixel;
using test::render_full;

constexpr double kRadiance = 5; // colour 1 times intensity 5

// A 2 x 2 light at height 3 shining down (-y), seen through a 9 x 9 lens of
// 10 degrees from `eye` towards `target`, in a grey world of 0.3.
std::string light_seen_from(const std::string &eye, const std::string &target,
                            const std::string &visible) {
  return R"({"camera": {"position": )" + eye + R"(, "target": )" + target +
         R"(, "up": [0, 0, -1], "fov": 10, "resolution": [9, 9]},
      "options": {"samples": 4},
      "environment": {"type": "constant", "color": [0.3, 0.3, 0.3]},
      "lights": [{"type": "area", "size": [2, 2], "intensity": 5, "transform": {"translate": [0, 3, 0]})" +
         visible + "}]}";
}

void expect_grey(Colour c, double value, double tolerance) {
  EXPECT_NEAR(c.r, value, tolerance);
  EXPECT_NEAR(c.g, value, tolerance);
  EXPECT_NEAR(c.b, value, tolerance);
}

TEST(VisibleLights, AnAreaLightShowsItsRadianceOnTheSideItLights) {
  Framebuffer below = render_full(*make_scene(light_seen_from("[0, 0, 0]", "[0, 3, 0]", "")));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) {
      SCOPED_TRACE(testing::Message() << "pixel " << x << ", " << y);
      expect_grey(pixel(below, x, y), kRadiance, 1e-6);
      EXPECT_EQ(pixel(below, x, y).a, 1);
    }
}

TEST(VisibleLights, FromBehindAnAreaLightIsBlack) {
  Framebuffer above = render_full(*make_scene(light_seen_from("[0, 6, 0]", "[0, 3, 0]", "")));
  expect_grey(pixel(above, 4, 4), 0, 0);
  expect_grey(pixel(above, 0, 8), 0, 0);
}

TEST(VisibleLights, AnInvisibleLightIsPassedThrough) {
  Framebuffer below =
      render_full(*make_scene(light_seen_from("[0, 0, 0]", "[0, 3, 0]", R"(, "visible": false)")));
  expect_grey(pixel(below, 4, 4), 0.3, 1e-6);
}

// A horizontal glass sheet at y = 0 seen at 45 degrees from (0, 1, 1), in a
// black world; the light hangs where the sheet mirrors the view, facing it.
std::string glass_before_light(const std::string &glass_fields) {
  return R"({"camera": {"position": [0, 1, 1], "target": [0, 0, 0], "fov": 2, "resolution": [9, 9]},
      "options": {"samples": 4, "caustic_photons": 0},
      "environment": {"type": "constant", "color": [0, 0, 0]},
      "lights": [{"type": "area", "size": [2, 2], "intensity": 5,
                  "transform": {"rotate": [-45, 0, 0], "translate": [0, 3, -3]}}],
      "objects": [{"shape": "quad", "size": [4, 4],
                   "material": {"type": "glass", "specular": 0)" +
         glass_fields + "}}]}";
}

// Unpolarised Fresnel reflectance of a dielectric of index n from vacuum.
double fresnel(double cos_i, double n) {
  double sin_t = std::sqrt(1 - cos_i * cos_i) / n, cos_t = std::sqrt(1 - sin_t * sin_t);
  double rs = (cos_i - n * cos_t) / (cos_i + n * cos_t);
  double rp = (n * cos_i - cos_t) / (n * cos_i + cos_t);
  return (rs * rs + rp * rp) / 2;
}

TEST(VisibleLights, AMirrorOfGlassShowsTheLightAtItsRadiance) {
  Framebuffer fb = render_full(*make_scene(glass_before_light(R"(, "reflection_boost": 1)")));
  expect_grey(pixel(fb, 4, 4), kRadiance, 1e-5 * kRadiance);
}

TEST(VisibleLights, GlassReflectsTheLightByFresnel) {
  // 45 degrees onto index 1.5: 5.0 %; what the sheet lets through sees black.
  Framebuffer fb = render_full(*make_scene(glass_before_light(R"(, "ior": 1.5)")));
  double expected = fresnel(std::sqrt(0.5), 1.5) * kRadiance;
  expect_grey(pixel(fb, 4, 4), expected, 0.01 * expected);
}

} // namespace
} // namespace vr
