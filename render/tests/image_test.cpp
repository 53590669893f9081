// Picture output and environment lookups.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

#include "core/error.h"
#include "image/image_io.h"
#include "shading/environment.h"
#include "shading/textures.h"
#include "test_scenes.h"

namespace vr {
namespace {

Framebuffer ramp(int w, int h, Region r) {
  Framebuffer fb = make_framebuffer(w, h, r);
  for (size_t i = 0; i < fb.rgba.size(); ++i) fb.rgba[i] = float(i % 97) / 96.0f;
  return fb;
}

TEST(ImageFiles, PngRoundTripsThroughSrgbWithAlpha) {
  Framebuffer fb = ramp(7, 5, {0, 0, 7, 5});
  std::string path = test::temp_path("ramp.png");
  write_image(path, fb);
  Image back = read_image(path);
  ASSERT_EQ(back.width, 7);
  ASSERT_EQ(back.height, 5);
  for (size_t i = 0; i < fb.rgba.size(); ++i)
    EXPECT_NEAR(back.rgba[i], fb.rgba[i], i % 4 == 3 ? 0.5 / 255 : 0.01) << i;
  EXPECT_NEAR(linear_to_srgb(srgb_to_linear(0.5f)), 0.5f, 1e-6);
  EXPECT_NEAR(linear_to_srgb(0.5f), 0.735357f, 1e-5);
}

TEST(ImageFiles, ExrKeepsFloatsAndTheCropsPlaceInTheFrame) {
  Framebuffer fb = ramp(20, 10, {4, 2, 9, 7});
  fb.rgba[0] = 7.5f; // beyond what a PNG could hold
  std::string path = test::temp_path("crop.exr");
  write_image(path, fb);
  Image back = read_image(path); // the data window only
  ASSERT_EQ(back.width, 5);
  ASSERT_EQ(back.height, 5);
  for (size_t i = 0; i < fb.rgba.size(); ++i)
    EXPECT_NEAR(back.rgba[i], fb.rgba[i], 4e-3 * fb.rgba[i]);
}

TEST(ImageFiles, FailuresLeaveNoFileBehind) {
  Framebuffer fb = ramp(2, 2, {0, 0, 2, 2});
  EXPECT_THROW(write_image(test::temp_path("no-such-folder/x.png"), fb), OutputError);
  EXPECT_THROW(write_image(test::temp_path("x.tiff"), fb), OutputError);
  EXPECT_FALSE(test::file_exists(test::temp_path("x.tiff")));
  EXPECT_EQ(format_of("A.EXR"), ImageFormat::Exr);
}

TEST(Environments, ConstantGradientAndLatLong) {
  Environment e;
  e.kind = EnvironmentKind::Gradient;
  e.zenith = {0, 0, 1, 1}, e.horizon = {1, 1, 1, 1}, e.ground = {0.2f, 0.2f, 0.2f, 1};
  e.alpha = 0.25f;
  Colour up = environment_colour(e, {0, 1, 0}), flat = environment_colour(e, {1, 0, 0});
  Colour mid = environment_colour(e, normalize({1, 1, 0}));
  EXPECT_EQ(up.r, 0);
  EXPECT_EQ(flat.r, 1);
  EXPECT_NEAR(mid.r, 1 - std::sqrt(0.5), 1e-6); // linear in the height of the direction
  EXPECT_NEAR(environment_colour(e, {0, -1, 0}).g, 0.2f, 1e-7);
  EXPECT_EQ(up.a, 0.25f);

  // A 4 x 2 lat-long image: a bright texel straight ahead (-z) in the upper row.
  e.kind = EnvironmentKind::Image;
  e.image = {4, 2, std::vector<float>(4 * 2 * 4, 0.0f)};
  for (int x = 0; x < 4; ++x) e.image.rgba[(4 + x) * 4 + 1] = 1; // lower row green
  e.intensity = 2;
  EXPECT_NEAR(environment_colour(e, {0, -1, 0}).g, 2, 1e-6);
  EXPECT_NEAR(environment_colour(e, {0, 1, 0}).g, 0, 1e-6);
  EXPECT_NEAR(environment_colour(e, {0, 0, -1}).g, 1, 1e-6); // the horizon lies between the rows
}

TEST(Textures, CheckerAndNoise) {
  Texture checker{TextureKind::Checker, {1, 1, 1, 1}, {0, 0, 0, 1}, 4, 1};
  EXPECT_EQ(eval_texture(checker, 0.1, 0.1, {}).r, 1);
  EXPECT_EQ(eval_texture(checker, 0.3, 0.1, {}).r, 0);
  EXPECT_EQ(eval_texture(checker, 0.3, 0.3, {}).r, 1);
  EXPECT_EQ(eval_texture(checker, -0.1, 0.1, {}).r, 0); // continues below zero

  EXPECT_EQ(gradient_noise({3, -2, 7}), 0); // zero on the lattice
  double lo = 1, hi = 0, sum = 0;
  const int n = 2000;
  for (int i = 0; i < n; ++i) {
    double v = fractal_noise({i * 0.37, i * 0.11, i * 0.53}, 4);
    lo = std::min(lo, v), hi = std::max(hi, v), sum += v;
  }
  EXPECT_GE(lo, 0);
  EXPECT_LE(hi, 1);
  EXPECT_GT(hi - lo, 0.3);
  EXPECT_NEAR(sum / n, 0.5, 0.05);
  Texture noise{TextureKind::Noise, {0, 0, 0, 0}, {2, 4, 6, 8}, 1, 3};
  Colour c = eval_texture(noise, 0, 0, {0.3, 0.4, 0.5});
  EXPECT_NEAR(c.g, 2 * c.r, 1e-6);
  double a = fractal_noise({0.3, 0.4, 0.5}, 2), b = fractal_noise({0.3001, 0.4, 0.5}, 2);
  EXPECT_NEAR(a, b, 1e-3); // continuous
}

} // namespace
} // namespace vr
