#include "render/render.h"

#include <algorithm>
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

// Adds the values of samples first .. first + count - 1 of pixel (x, y) to
// sum (r, g, b, a).
void add_pixel_samples(ThreadContext &tc, int x, int y, int first, int count, double sum[4]) {
  const RenderContext &rc = *tc.rc;
  uint64_t pixel_seed = hash_combine(mix64(static_cast<uint64_t>(x)), static_cast<uint64_t>(y));
  uint32_t scramble_x = sobol_scramble(pixel_seed, 0), scramble_y = sobol_scramble(pixel_seed, 1);
  for (int i = first; i < first + count; ++i) {
    double jx = scrambled_sobol_point(static_cast<uint32_t>(i), 0, scramble_x);
    double jy = scrambled_sobol_point(static_cast<uint32_t>(i), 1, scramble_y);
    Colour c;
    trace_camera(tc, camera_ray(rc, x + jx, y + jy), hash_combine(pixel_seed, uint64_t(i) + 1), &c);
    const float v[4] = {c.r, c.g, c.b, c.a};
    // A sample that is not a number would spoil the whole pixel; it counts as black.
    for (int k = 0; k < 4; ++k) sum[k] += std::isfinite(v[k]) ? v[k] : 0;
  }
}

// Adds the average of the pass's samples of every pixel of one tile to the
// picture.
void render_tile(ThreadContext &tc, Framebuffer &fb, int tile, int first, int count) {
  const Region &r = fb.region;
  int tiles_x = (r.width() + kTile - 1) / kTile;
  int x0 = r.x0 + (tile % tiles_x) * kTile, y0 = r.y0 + (tile / tiles_x) * kTile;
  for (int y = y0; y < std::min(y0 + kTile, r.y1); ++y)
    for (int x = x0; x < std::min(x0 + kTile, r.x1); ++x) {
      double sum[4] = {0, 0, 0, 0};
      add_pixel_samples(tc, x, y, first, count, sum);
      float *p = &fb.rgba[(static_cast<size_t>(y - r.y0) * r.width() + (x - r.x0)) * 4];
      for (int k = 0; k < 4; ++k) p[k] += float(sum[k] / count);
    }
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

int samples_per_pass(int samples, int passes) {
  return passes > 1 ? std::max(1, (samples + passes - 1) / passes) : samples;
}

Colour render_pixel(ThreadContext &tc, int x, int y) {
  int spp = tc.rc->scene->options.samples;
  double sum[4] = {0, 0, 0, 0};
  add_pixel_samples(tc, x, y, 0, spp, sum);
  return {float(sum[0] / spp), float(sum[1] / spp), float(sum[2] / spp), float(sum[3] / spp)};
}

Framebuffer render_image(const RenderContext &rc, const RenderSettings &settings,
                         RenderStats *stats) {
  const Camera &c = rc.scene->camera;
  Framebuffer fb = make_framebuffer(c.width, c.height, settings.region);
  int tiles_x = (fb.region.width() + kTile - 1) / kTile;
  int tiles = tiles_x * ((fb.region.height() + kTile - 1) / kTile);
  int threads = worker_threads(settings.threads);
  int passes = settings.passes > 0 ? settings.passes : rc.scene->options.passes;
  int first_pass = settings.first_pass;
  int end_pass = settings.end_pass > 0 ? settings.end_pass : passes;
  int per_pass = samples_per_pass(rc.scene->options.samples, passes);
  RenderStats local;
  RenderStats &st = stats ? *stats : local;
  st = RenderStats{};
  st.threads = threads;
  st.samples_per_pass = per_pass;

  // The bar counts passes, in steps of their photon blocks and image tiles;
  // under a time budget its length is the passes the budget is expected to
  // hold, worked out again after every pass.
  int steps = caustic_pass_blocks(rc) + tiles;
  auto planned = [&](int done, double elapsed) {
    if (!(settings.seconds > 0)) return end_pass - first_pass;
    if (done == 0) return 1;
    auto expected = static_cast<long long>(std::ceil(settings.seconds * done / elapsed));
    return static_cast<int>(std::clamp<long long>(expected, done + 1, end_pass - first_pass));
  };
  Progress progress;
  progress_begin(progress, settings.progress, steps * planned(0, 0), "passes");
  auto start = std::chrono::steady_clock::now();
  CausticMap caustics;
  for (int pass = first_pass; pass < end_pass; ++pass) {
    run_caustic_pass(rc, static_cast<uint32_t>(pass), threads, &fb, &caustics, &st.caustics,
                     [&progress] { progress_step(progress); });
    RenderContext lit = rc;
    lit.caustics = caustic_lookup(caustics);
    // The pass's photons have put the caustics of diffuse surfaces in direct
    // view into the picture; the camera's own hits there leave them out.
    lit.caustics.splatted = true;
    auto image_start = std::chrono::steady_clock::now();
    for_each_block(
        lit, threads, tiles,
        [&](ThreadContext &tc, int t) {
          render_tile(tc, fb, t, pass * per_pass, per_pass);
          progress_step(progress);
        },
        [&](const ThreadContext &tc) {
          st.rays += tc.rays;
          st.estimates += tc.estimates;
        });
    st.image_seconds += seconds_since(image_start);
    ++st.passes;
    double elapsed = seconds_since(start);
    if (settings.seconds > 0 && elapsed >= settings.seconds) break;
    progress.total = steps * planned(st.passes, elapsed);
  }
  progress_end(progress);
  caustics = CausticMap{};
  if (st.passes > 1)
    for (float &v : fb.rgba) v /= static_cast<float>(st.passes);
  st.seconds = seconds_since(start);
  return fb;
}

} // namespace vr
