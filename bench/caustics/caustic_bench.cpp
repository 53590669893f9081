// The caustics' figures, measured side by side in one run:
//
// 1. Time to error on the ball lens (ball_lens_reference.h): for a rising
//    number of photons, and of passes, the processor seconds (user + system,
//    2 threads) of the whole 256 x 256 render, and the caustic's relative
//    RMSE per pixel inside the caustic against the exact pixel integrals.
//    The caustic is the render with photons less the same render without
//    (the same pixel samples, so the direct light cancels). "Inside the
//    caustic": pixels that see only the floor and whose exact caustic is at
//    least as bright as the open floor would be there (the light the ball
//    focuses, at least doubling the floor's light, not the faint glow of its
//    outer reflections). "Relative RMSE":
//    sqrt(mean over those pixels of ((rendered - exact) / exact)^2), on the
//    mean of r, g and b. Also the caustic's sum over the view and its peak
//    pixel, over the exact ones.
// 2. The default scene at its default quality with and without caustics:
//    the render's processor and wall-clock seconds, their ratio, and the
//    photons traced per second per core.
//
//   caustic_bench [--quick]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <vector>

#include "ball_lens_reference.h"
#include "render/render.h"
#include "scene/load_scene.h"

namespace {

double processor_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_utime.tv_usec * 1e-6 + u.ru_stime.tv_sec +
         u.ru_stime.tv_usec * 1e-6;
}

struct Timed {
  vr::Framebuffer fb;
  vr::RenderStats stats;
  double cpu = 0, wall = 0;
};

Timed render(const vr::Scene &scene, const vr::ShaderModule &module, int threads) {
  vr::Accel accel;
  vr::build_accel(vr::shapes_of(scene), &accel);
  vr::RenderContext rc;
  vr::make_render_context(scene, accel, module, false, &rc);
  vr::RenderSettings settings;
  settings.threads = threads;
  settings.region = {0, 0, scene.camera.width, scene.camera.height};
  Timed t;
  double cpu = processor_seconds();
  auto start = std::chrono::steady_clock::now();
  t.fb = vr::render_image(rc, settings, &t.stats);
  t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  t.cpu = processor_seconds() - cpu;
  return t;
}

struct Errors {
  double rmse, sum_ratio, peak_ratio;
  int pixels;
};

Errors caustic_errors(const ball_lens::Setup &s, const std::vector<double> &exact,
                      const vr::Framebuffer &with, const vr::Framebuffer &without) {
  double sq = 0, sum = 0, sum_exact = 0, peak = 0, peak_exact = 0;
  int n = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      size_t i = size_t(y) * s.width + x;
      double got = 0, want = 0;
      for (int c = 0; c < 3; ++c) {
        got += (double(with.rgba[i * 4 + c]) - without.rgba[i * 4 + c]) / 3;
        want += exact[i * 3 + c] / 3;
      }
      sum += got, sum_exact += want;
      if (want > peak_exact) peak_exact = want, peak = got;
      double fx, fz;
      if (!ball_lens::sees_floor(s, x, y) || !ball_lens::pixel_floor_point(s, x, y, &fx, &fz))
        continue;
      double open = s.albedo / M_PI * ball_lens::open_irradiance(s, fx, fz);
      if (want < open) continue;
      sq += (got - want) * (got - want) / (want * want);
      ++n;
    }
  return {std::sqrt(sq / n), sum / sum_exact, peak / peak_exact, n};
}

} // namespace

int main(int argc, char **argv) {
  bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  vr::ShaderModule module = vr::load_module(VITREL_MODULE_PATH);
  ball_lens::Setup s;
  std::printf("exact reference: ");
  std::fflush(stdout);
  double t0 = processor_seconds();
  std::vector<double> exact = ball_lens::pixel_integrals(
      s, ball_lens::trace_fan(s, quick ? 8000 : 32000), quick ? 1024 : 4096);
  std::printf("%.1f processor seconds\n\n", processor_seconds() - t0);

  std::printf("ball lens, 256 x 256, 16 samples, 2 threads\n");
  std::printf("%10s %7s %12s %12s %10s %10s %8s\n", "photons", "passes", "processor s", "wall s",
              "rel. RMSE", "sum/exact", "peak");
  struct Config {
    long long photons;
    int passes;
  };
  std::vector<Config> configs = {{10000, 1},   {30000, 1},   {100000, 1},   {300000, 1},
                                 {1000000, 1}, {2000000, 1}, {3000000, 1},  {1000000, 4},
                                 {3000000, 4}, {3000000, 8}, {4000000, 10}, {4000000, 12}};
  if (quick) configs = {{10000, 1}, {100000, 1}, {100000, 4}};
  for (const Config &c : configs) {
    vr::Scene with = vr::load_scene_text(ball_lens::scene_json(s, c.photons, c.passes, 16),
                                         "ball_lens.json", ".");
    vr::Scene without = with;
    without.options.caustic_photons = 0;
    Timed a = render(with, module, 2);
    Timed b = render(without, module, 2);
    Errors e = caustic_errors(s, exact, a.fb, b.fb);
    std::printf("%10lld %7d %12.2f %12.2f %9.2f%% %10.4f %8.4f\n", c.photons, c.passes, a.cpu,
                a.wall, 100 * e.rmse, e.sum_ratio, e.peak_ratio);
    std::fflush(stdout);
  }

  std::printf("\ndefault scene, default quality, 2 threads\n");
  vr::Scene scene = vr::load_default_scene();
  vr::Scene dark = scene;
  dark.options.caustic_photons = 0;
  for (int round = 0; round < (quick ? 1 : 2); ++round) {
    Timed a = render(scene, module, 2), b = render(dark, module, 2);
    const vr::CausticStats &cs = a.stats.caustics;
    std::printf("with caustics %.2f processor s (%.2f wall), without %.2f (%.2f wall): ratio %.3f "
                "(wall %.3f); photons %.0f per processor second\n",
                a.cpu, a.wall, b.cpu, b.wall, a.cpu / b.cpu, a.wall / b.wall,
                cs.emitted / cs.pass_cpu_seconds);
  }
  return 0;
}
