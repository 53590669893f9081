#include "render/render.h"

#include <chrono>
#include <cmath>

#include "core/hash.h"
#include "render/progress.h"
#include "sampler/sobol.h"
#include "shading/tracer.h"

namespace vr {

namespace {

constexpr int kTile = 16;

V3 camera_ray(const RenderContext &rc, double x, double y) {
  const Camera &c = rc.scene->camera;
  double ndc_x = 2 * x / c.width - 1, ndc_y = 1 - 2 * y / c.height;
  return normalize(rc.forward + rc.right * ndc_x + rc.up * ndc_y);
}

void render_tile(ThreadContext &tc, Framebuffer &fb, int tile) {
  const Region &r = fb.region;
  int tiles_x = (r.width() + kTile - 1) / kTile;
  int x0 = r.x0 + (tile % tiles_x) * kTile, y0 = r.y0 + (tile / tiles_x) * kTile;
  for (int y = y0; y < std::min(y0 + kTile, r.y1); ++y)
    for (int x = x0; x < std::min(x0 + kTile, r.x1); ++x) {
      Colour c = render_pixel(tc, x, y);
      float *p = &fb.rgba[(static_cast<size_t>(y - r.y0) * r.width() + (x - r.x0)) * 4];
      p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
    }
}

} // namespace

void make_render_context(const Scene &scene, const Accel &accel, const ShaderModule &module,
                         bool single_path, RenderContext *rc) {
  rc->scene = &scene;
  rc->accel = &accel;
  rc->module = &module;
  rc->camera.camera_volume = 0;
  rc->options.reflection_depth_limit = scene.options.reflection_depth;
  rc->options.refraction_depth_limit = scene.options.refraction_depth;
  rc->single_path = single_path ? 1 : 0;
  rc->shaders.clear();
  for (const Object &o : scene.objects)
    rc->shaders.push_back(
        {o.material.kind == MaterialKind::Glass ? o.material.glass.interface_offset : 0});

  rc->visible_lights.clear();
  for (size_t i = 0; i < scene.lights.size(); ++i) {
    const Light &l = scene.lights[i];
    if (l.kind != LightKind::Area || !l.visible) continue;
    rc->visible_lights.push_back({static_cast<int>(i), l.position, l.normal,
                                  l.edge_u * (1 / dot(l.edge_u, l.edge_u)),
                                  l.edge_v * (1 / dot(l.edge_v, l.edge_v))});
  }

  const Camera &c = scene.camera;
  V3 forward = normalize(c.target - c.position);
  V3 right = normalize(cross(forward, c.up));
  V3 up = cross(right, forward);
  double h = std::tan(c.fov_degrees * kPi / 360);
  rc->eye = c.position;
  rc->forward = forward;
  rc->up = up * h;
  rc->right = right * (h * c.width / c.height);
}

Colour render_pixel(ThreadContext &tc, int x, int y) {
  const RenderContext &rc = *tc.rc;
  int spp = rc.scene->options.samples;
  uint64_t pixel_seed = hash_combine(mix64(static_cast<uint64_t>(x)), static_cast<uint64_t>(y));
  uint32_t scramble_x = sobol_scramble(pixel_seed, 0), scramble_y = sobol_scramble(pixel_seed, 1);
  double sum[4] = {0, 0, 0, 0};
  for (int i = 0; i < spp; ++i) {
    double jx = scrambled_sobol_point(static_cast<uint32_t>(i), 0, scramble_x);
    double jy = scrambled_sobol_point(static_cast<uint32_t>(i), 1, scramble_y);
    Colour c;
    trace_camera(tc, camera_ray(rc, x + jx, y + jy), hash_combine(pixel_seed, uint64_t(i) + 1), &c);
    const float v[4] = {c.r, c.g, c.b, c.a};
    // A sample that is not a number would spoil the whole pixel; it counts as black.
    for (int k = 0; k < 4; ++k) sum[k] += std::isfinite(v[k]) ? v[k] : 0;
  }
  return {float(sum[0] / spp), float(sum[1] / spp), float(sum[2] / spp), float(sum[3] / spp)};
}

Framebuffer render_image(const RenderContext &rc, const RenderSettings &settings,
                         RenderStats *stats) {
  const Camera &c = rc.scene->camera;
  Framebuffer fb = make_framebuffer(c.width, c.height, settings.region);
  int tiles_x = (fb.region.width() + kTile - 1) / kTile;
  int tiles = tiles_x * ((fb.region.height() + kTile - 1) / kTile);

  int threads = worker_threads(settings.threads);
  CausticMap caustics;
  CausticStats caustic_stats;
  build_caustics(rc, threads, settings.progress, &caustics, &caustic_stats);
  RenderContext lit = rc;
  lit.caustics = caustic_lookup(caustics);

  Progress progress;
  progress_begin(progress, settings.progress, tiles, "image");
  auto start = std::chrono::steady_clock::now();
  uint64_t rays = 0, estimates = 0;
  for_each_block(
      lit, threads, tiles,
      [&](ThreadContext &tc, int t) {
        render_tile(tc, fb, t);
        progress_step(progress);
      },
      [&](const ThreadContext &tc) {
        rays += tc.rays;
        estimates += tc.estimates;
      });
  progress_end(progress);
  if (stats) {
    stats->seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    stats->threads = threads;
    stats->rays = rays;
    stats->estimates = estimates;
    stats->caustics = caustic_stats;
  }
  return fb;
}

} // namespace vr
