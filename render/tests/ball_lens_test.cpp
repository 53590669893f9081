// The caustics against exact values pixel by pixel: the ball lens against
// its reference worked out apart from the renderer (ball_lens_reference.h),
// and the sharp edge of a thin pane's caustic against the pixel integral of
// the analytic step. Each picture's caustic is its render with photons less
// the same render without: the pixel samples are the same, so the direct
// light cancels and the difference is the caustic alone.
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "ball_lens_reference.h"
#include "test_scenes.h"

namespace vr {
namespace {

using test::make_scene;
using test::render_full;

// The caustic of the scene in `json`, r g b per pixel: with photons less
// without.
std::vector<double> caustic_of(const std::string &json, int threads = 2) {
  auto with = make_scene(json);
  auto without = make_scene(json);
  without->scene.options.caustic_photons = 0;
  Framebuffer a = render_full(*with, threads), b = render_full(*without, threads);
  std::vector<double> out(a.rgba.size() / 4 * 3);
  for (size_t i = 0; i < out.size() / 3; ++i)
    for (int c = 0; c < 3; ++c) out[i * 3 + c] = double(a.rgba[i * 4 + c]) - b.rgba[i * 4 + c];
  return out;
}

// The ball lens's exact pixel integrals, worked out once per setup.
struct Exact {
  ball_lens::Setup setup;
  std::vector<ball_lens::Ring> rings;
  std::vector<double> pixels;
  std::vector<char> inside; // pixels inside the caustic
};

// Inside the caustic: pixels that see only the floor, where the caustic is
// at least as bright as the open floor would be.
Exact exact_for(const ball_lens::Setup &s) {
  Exact e{s, ball_lens::trace_fan(s, 8000), {}, {}};
  e.pixels = ball_lens::pixel_integrals(s, e.rings, 1024);
  e.inside.assign(size_t(s.width) * s.height, 0);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      double fx, fz;
      if (!ball_lens::sees_floor(s, x, y) || !ball_lens::pixel_floor_point(s, x, y, &fx, &fz))
        continue;
      size_t i = size_t(y) * s.width + x;
      double open = s.albedo / kPi * ball_lens::open_irradiance(s, fx, fz);
      e.inside[i] = e.pixels[i * 3] >= open;
    }
  return e;
}

const Exact &clear_ball() {
  static const Exact e = exact_for(ball_lens::Setup{});
  return e;
}

// sqrt(mean over the pixels inside the caustic of the squared relative
// error), on the mean of r, g and b.
double relative_rmse(const Exact &e, const std::vector<double> &got) {
  double sum = 0;
  int n = 0;
  for (size_t i = 0; i < e.inside.size(); ++i) {
    if (!e.inside[i]) continue;
    double g = (got[i * 3] + got[i * 3 + 1] + got[i * 3 + 2]) / 3;
    double w = (e.pixels[i * 3] + e.pixels[i * 3 + 1] + e.pixels[i * 3 + 2]) / 3;
    sum += (g - w) * (g - w) / (w * w);
    ++n;
  }
  return std::sqrt(sum / n);
}

TEST(BallLens, TheReferenceConservesTheLightThatEntersTheBall) {
  // Every photon that meets the ball is reflected or transmitted, so what
  // reaches the floor is the ball's cone of light less what flies off
  // upward: at normal incidence about 4 % off the top, more toward the rim.
  ball_lens::Setup s;
  std::vector<ball_lens::Ring> rings = ball_lens::trace_fan(s, 4000);
  double total[3];
  ball_lens::total_flux(rings, total);
  double above = s.light_height - s.centre;
  double cone = s.intensity * 2 * kPi * (1 - std::sqrt(1 - 1 / (above * above)));
  EXPECT_GT(total[0], 0.85 * cone);
  EXPECT_LT(total[0], 0.93 * cone);
  // Near the axis the ball is a thick lens of focal length n R / (2 (n - 1))
  // from its centre: the light's image lies below the floor, so the floor
  // under the ball is brighter than open floor, and holds the focused light
  // within the rim of the caustic.
  double centre[3], open = ball_lens::open_irradiance(s, 0, 0);
  ball_lens::annulus_flux(rings, 0, 0.05, centre);
  EXPECT_GT(centre[0] / (kPi * 0.05 * 0.05), 10 * open);
  // Splatting a ring's light around it moves none of it out of the view.
  std::vector<double> pixels = ball_lens::pixel_integrals(s, rings, 256);
  double image = 0;
  for (size_t i = 0; i < pixels.size(); i += 3) image += pixels[i];
  EXPECT_GT(image, 0);
}

TEST(BallLens, TheCausticMatchesTheExactPixelIntegrals) {
  const Exact &e = clear_ball();
  const ball_lens::Setup &s = e.setup;
  std::vector<double> got = caustic_of(ball_lens::scene_json(s, 2000000, 1, 1));

  // The caustic's integral over the view, each channel, and its peak.
  double sum[3] = {0, 0, 0}, want[3] = {0, 0, 0};
  size_t peak = 0;
  for (size_t i = 0; i < got.size() / 3; ++i) {
    for (int c = 0; c < 3; ++c) sum[c] += got[i * 3 + c], want[c] += e.pixels[i * 3 + c];
    if (e.pixels[i * 3] > e.pixels[peak * 3]) peak = i;
  }
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(sum[c] / want[c], 1, 0.005) << "channel " << c;
  EXPECT_NEAR(got[peak * 3] / e.pixels[peak * 3], 1, 0.02) << "the focus";

  // The radial profile: the mean over the pixels whose centres' floor points
  // lie in each annulus, through the focus, the disc and its bright rim.
  const double edges[] = {0, 0.05, 0.1, 0.15, 0.2, 0.23, 0.26, 0.29, 0.32, 0.36, 0.4};
  for (int k = 0; k + 1 < int(std::size(edges)); ++k) {
    double g = 0, w = 0;
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) {
        double fx, fz;
        if (!ball_lens::pixel_floor_point(s, x, y, &fx, &fz)) continue;
        double r = std::hypot(fx, fz);
        if (r < edges[k] || r >= edges[k + 1]) continue;
        size_t i = size_t(y) * s.width + x;
        g += got[i * 3], w += e.pixels[i * 3];
      }
    EXPECT_NEAR(g / w, 1, 0.02) << "annulus " << edges[k] << " to " << edges[k + 1];
  }

  // Per pixel: 2 million photons put a few hundred on an average pixel of
  // the disc.
  EXPECT_LT(relative_rmse(e, got), 0.07);
}

TEST(BallLens, MorePassesBringEveryPixelNearer) {
  const Exact &e = clear_ball();
  double last = HUGE_VAL;
  for (int passes : {1, 2, 4, 8}) {
    double error = relative_rmse(e, caustic_of(ball_lens::scene_json(e.setup, 100000, passes, 1)));
    SCOPED_TRACE(passes);
    EXPECT_LT(error, 0.8 * last);
    last = error;
  }
}

TEST(BallLens, SmoothingKeepsTheLightAndShrinksWithThePasses) {
  // Splats spread over discs of 64 photons: the light stays whole, and the
  // discs' blur shrinks from pass to pass as the noise averages out (slowly:
  // pass 8's discs hold 0.55 of the first's photons).
  const Exact &e = clear_ball();
  auto smoothed = [&](int passes) {
    std::string json = ball_lens::scene_json(e.setup, 100000, passes, 1);
    json.replace(json.find(R"("passes")"), 8, R"("caustic_smoothing": 64, "passes")");
    return caustic_of(json);
  };
  std::vector<double> one = smoothed(1), eight = smoothed(8);
  double sum = 0, want = 0;
  for (size_t i = 0; i < one.size(); i += 3) sum += one[i], want += e.pixels[i];
  EXPECT_NEAR(sum / want, 1, 0.005);
  EXPECT_LT(relative_rmse(e, eight), 0.85 * relative_rmse(e, one));
}

TEST(BallLens, TintedGlassAbsorbsEachChannelAlongItsPath) {
  ball_lens::Setup s;
  const double colour[3] = {0.5, 0.7, 0.9};
  for (int c = 0; c < 3; ++c) s.inside_color[c] = colour[c];
  s.inside_density = 1;
  Exact e = exact_for(s);
  std::vector<double> got = caustic_of(ball_lens::scene_json(s, 1000000, 1, 1));
  double sum[3] = {0, 0, 0}, want[3] = {0, 0, 0};
  for (size_t i = 0; i < got.size(); ++i) sum[i % 3] += got[i], want[i % 3] += e.pixels[i];
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(sum[c] / want[c], 1, 0.005) << "channel " << c;
  EXPECT_LT(want[0], 0.7 * want[2]); // and the tint is there to see
}

// A thin clear pane 0.2 wide, 1 above the floor, under a point light 50
// above, and a camera under the pane looking straight down at the floor: the
// floor is parallel to the image, so each pixel's footprint is a square and
// its integral the mean over it. Light through the pane lands in a square
// with sharp edges: (1 - R)^2 / (1 - R^2) of the open floor's light inside,
// none outside.
TEST(SharpEdge, APanesCausticEdgeMatchesThePixelIntegralOfTheStep) {
  const double height = 50, intensity = 2500, pane = 0.2, top = 1.001, thick = 0.002;
  const double eye = 0.5, fov = 40, albedo = 0.8, n = 1.5;
  const int size = 16;
  char json[1400];
  std::snprintf(json, sizeof json, R"({
      "camera": {"position": [0, %g, 0], "target": [0, 0, 0], "up": [0, 0, -1], "fov": %g,
                 "resolution": [%d, %d]},
      "options": {"samples": 1, "gather_rays": 0, "caustic_photons": 2000000},
      "environment": {"type": "constant", "color": [0, 0, 0]},
      "lights": [{"type": "point", "position": [0, %g, 0], "intensity": %g}],
      "objects": [{"shape": "quad", "size": [40, 40],
                   "material": {"type": "diffuse", "color": [%g, %g, %g]}},
                  {"shape": "box", "size": [%g, %g, %g],
                   "transform": {"translate": [0, %g, 0]},
                   "material": {"type": "glass", "preset": "clear"}}]})",
                eye, fov, size, size, height, intensity, albedo, albedo, albedo, pane, thick, pane,
                top - thick / 2);
  std::vector<double> got = caustic_of(json);

  // Where the ray through the top face's edge lands: it refracts into the
  // pane, crosses it, and leaves parallel to where it came from.
  double half = pane / 2, tan_in = half / (height - top);
  double sin_in = tan_in / std::sqrt(1 + tan_in * tan_in), sin_t = sin_in / n;
  double tan_t = sin_t / std::sqrt(1 - sin_t * sin_t);
  double edge = half + thick * tan_t + (top - thick) * tan_in;
  double r = std::pow((n - 1) / (n + 1), 2), through = (1 - r) * (1 - r) / (1 - r * r);
  double footprint = 2 * eye * std::tan(fov * kPi / 360) / size; // a pixel's side on the floor
  auto open = [&](double x, double z) {
    double d2 = x * x + z * z + height * height;
    return intensity * height / (d2 * std::sqrt(d2));
  };
  auto covered = [&](double lo) { // of the pixel [lo, lo + footprint), within [-edge, edge]
    return std::max(0.0, std::min(lo + footprint, edge) - std::max(lo, -edge)) / footprint;
  };
  double plateau = albedo / kPi * through * open(0, 0);
  int edges_seen = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double x0 = (x - size / 2) * footprint, z0 = (y - size / 2) * footprint;
      double fraction = covered(x0) * covered(z0);
      double want =
          albedo / kPi * through * open(x0 + footprint / 2, z0 + footprint / 2) * fraction;
      edges_seen += fraction > 0.05 && fraction < 0.95;
      SCOPED_TRACE(testing::Message() << "pixel " << x << ", " << y << ", covered " << fraction);
      EXPECT_NEAR(got[(size_t(y) * size + x) * 3 + 1], want, 0.02 * std::max(want, 0.25 * plateau));
    }
  EXPECT_GE(edges_seen, 8); // the edges cross pixels rather than run along their borders
}

} // namespace
} // namespace vr
