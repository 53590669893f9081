// Small renders checked against physics, through the real module.
#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "image/image_io.h"
#include "scene/embedded.h"
#include "test_scenes.h"

namespace vr {
namespace {

using test::expect_same_pixels;
using test::make_scene;
using test::pixel;
using test::render_full;

// A head-on view of the origin from +z through a narrow lens, 9 x 9 pixels,
// in a uniform white world whose alpha is 0.
std::string head_on(const std::string &object, int samples = 4) {
  return R"({"camera": {"position": [0, 0, 6], "target": [0, 0, 0], "fov": 6, "resolution": [9, 9]},
      "options": {"samples": )" +
         std::to_string(samples) + R"(, "reflection_depth": 6, "refraction_depth": 8},
      "environment": {"type": "constant", "color": [1, 1, 1], "alpha": 0},
      "objects": [)" +
         object + "]}";
}

void expect_white(Colour c, double tolerance) {
  EXPECT_NEAR(c.r, 1, tolerance);
  EXPECT_NEAR(c.g, 1, tolerance);
  EXPECT_NEAR(c.b, 1, tolerance);
}

TEST(Physics, ClearSphereInAWhiteWorldIsWhite) {
  // Entering divides radiance by n^2 and leaving multiplies it back, so what
  // Fresnel splits off comes back on other paths, up to the depth limits.
  for (const char *ior : {"1.5", "2.4"}) {
    auto t = make_scene(head_on(
        std::string(R"({"shape": "sphere", "material": {"type": "glass", "ior": )") + ior + "}}"));
    Framebuffer fb = render_full(*t);
    SCOPED_TRACE(ior);
    expect_white(pixel(fb, 4, 4), 0.01);
  }
  // The white is the glass's doing: tinted, the same sphere darkens.
  auto tinted = make_scene(
      head_on(R"({"shape": "sphere", "material": {"type": "glass", "preset": "tinted"}})"));
  EXPECT_LT(pixel(render_full(*tinted), 4, 4).r, 0.5);
}

TEST(Physics, SinglePathRouletteKeepsTheSphereWhite) {
  // One ray per hit chosen by the renderer and compensated by its probability:
  // in a uniform world every path carries exactly the same energy.
  auto t = make_scene(
      head_on(R"({"shape": "sphere", "material": {"type": "glass", "single_path_mode": 1}})"),
      /*single_path=*/true);
  Framebuffer fb = render_full(*t);
  expect_white(pixel(fb, 4, 4), 0.01);
  // The pixel is the glass's: its alpha is the shader's (1, the presets'
  // inverted coverage), not the world's 0.
  EXPECT_EQ(pixel(fb, 4, 4).a, 1);
}

// Normal incidence on a slab of thickness d, glass of index n absorbing
// c^(density * d) per pass, in a white world: one reflection R off the front,
// and the light passing through after any even number of inner reflections.
double slab(double n, double c, double density, double d) {
  double r = std::pow((n - 1) / (n + 1), 2), tr = 1 - r, tau = std::pow(c, density * d);
  return r + tr * tr * tau / (1 - r * tau);
}

TEST(Physics, AbsorbingSlabTransmitsFresnelAndBeerLambert) {
  struct Case {
    double thickness, density;
  };
  for (Case k : {Case{0.5, 2.0}, Case{1.0, 2.0}, Case{0.25, 1.0}}) {
    char object[512];
    std::snprintf(object, sizeof object,
                  R"({"shape": "box", "size": [6, 6, %g], "material": {"type": "glass",
                      "inside_color": [0.5, 0.7, 0.9], "inside_density": %g}})",
                  k.thickness, k.density);
    auto t = make_scene(head_on(object));
    Colour c = pixel(render_full(*t), 4, 4);
    SCOPED_TRACE(object);
    EXPECT_NEAR(c.r, slab(1.5, 0.5, k.density, k.thickness), 0.01 * c.r);
    EXPECT_NEAR(c.g, slab(1.5, 0.7, k.density, k.thickness), 0.01 * c.g);
    EXPECT_NEAR(c.b, slab(1.5, 0.9, k.density, k.thickness), 0.01 * c.b);
  }
}

// A sphere on a checker floor under an area light, with irradiance.
std::string lit_sphere(const std::string &material) {
  return R"({"camera": {"position": [0, 1.5, 4], "target": [0, 0.5, 0], "resolution": [24, 16]},
      "options": {"samples": 2, "gather_rays": 2},
      "environment": {"type": "gradient", "zenith": [0.2, 0.3, 0.8], "horizon": [1, 1, 1]},
      "lights": [{"type": "area", "size": [1, 1], "samples": 2, "intensity": 10,
                  "transform": {"translate": [1, 3, 1]}}],
      "objects": [{"shape": "quad", "size": [10, 10], "material": {"type": "diffuse",
                     "color": {"texture": "checker", "values": [[1, 1, 1], [0.1, 0.1, 0.1]], "scale": 10}}},
                  {"shape": "sphere", "radius": 0.5, "transform": {"translate": [0, 0.5, 0]},
                   "material": )" +
         material + "}]}";
}

TEST(Physics, FrostedWithoutSamplesRendersExactlyAsClear) {
  auto clear = make_scene(lit_sphere(R"({"type": "glass", "preset": "clear"})"));
  auto frosted = make_scene(lit_sphere(R"({"type": "glass", "preset": "frosted", "samples": 0})"));
  auto sampled = make_scene(lit_sphere(R"({"type": "glass", "preset": "frosted"})"));
  Framebuffer a = render_full(*clear), b = render_full(*frosted), c = render_full(*sampled);
  EXPECT_EQ(a.rgba, b.rgba);
  EXPECT_NE(a.rgba, c.rgba); // and with its samples it is really frosted
}

TEST(Physics, LambertianFloorUnderAPointLight) {
  // Radiance = albedo * I cos / (pi r^2) straight below a light at height 2.
  auto t = make_scene(R"({"camera": {"position": [0, 1, 0], "target": [0, 0, 0], "up": [0, 0, -1],
          "fov": 2, "resolution": [9, 9]}, "options": {"samples": 1},
      "lights": [{"type": "point", "position": [0, 2, 0], "intensity": 10}],
      "objects": [{"shape": "quad", "size": [10, 10], "material": {"type": "diffuse", "color": [0.5, 0.25, 1]}}]})");
  Colour c = pixel(render_full(*t), 4, 4);
  double expected = 10 / (kPi * 4);
  EXPECT_NEAR(c.r, 0.5 * expected, 1e-3 * expected);
  EXPECT_NEAR(c.g, 0.25 * expected, 1e-3 * expected);
  EXPECT_NEAR(c.b, expected, 1e-3 * expected);
  EXPECT_EQ(c.a, 1);
}

std::string small_default_scene() {
  // The built-in scene at a twentieth of its size, two samples a pixel and a
  // twentieth of its photons.
  std::string text = embedded_default_scene();
  text.replace(text.find("[640, 360]"), 10, "[32, 18]");
  text.replace(text.find("\"samples\": 16"), 13, "\"samples\": 2");
  text.replace(text.find("\"caustic_photons\": 1000000"), 26, "\"caustic_photons\": 50000");
  return text;
}

std::string file_bytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Determinism, OneAndTwoThreadsGiveTheSameBytes) {
  auto t = make_scene(small_default_scene());
  Framebuffer one = render_full(*t, 1), two = render_full(*t, 2);
  EXPECT_EQ(one.rgba, two.rgba);
  std::string a = test::temp_path("one.png"), b = test::temp_path("two.png");
  write_image(a, one);
  write_image(b, two);
  EXPECT_EQ(file_bytes(a), file_bytes(b));
  EXPECT_GT(file_bytes(a).size(), 100u);
}

TEST(Determinism, CropsStitchIntoTheFullFrame) {
  auto t = make_scene(small_default_scene());
  Framebuffer full = render_full(*t, 2);
  for (Region r : {Region{0, 0, 13, 18}, Region{13, 0, 32, 7}, Region{13, 7, 32, 18}}) {
    RenderSettings settings;
    settings.region = r;
    settings.threads = 2;
    Framebuffer piece = render_image(t->rc, settings, nullptr);
    expect_same_pixels(piece, full);
  }
}

} // namespace
} // namespace vr
