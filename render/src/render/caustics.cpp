#include "render/caustics.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "photon/camera_splat.h"
#include "photon/photon_pass.h"
#include "render/caustic_splats.h"

namespace vr {

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of the whole process: on a machine shared with other work
// it measures the photons' cost where the wall clock measures the sharing.
double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

EmissionPlan plan_of(const RenderContext &rc, uint32_t pass) {
  const Options &o = rc.scene->options;
  if (o.caustic_photons <= 0) return {};
  return plan_emission(*rc.scene, static_cast<uint32_t>(o.caustic_photons), pass);
}

// Whether any lookup can read the map: gather rays reach every diffuse
// surface, and every other lookup (the glass's own, and those of the rays it
// reflects and refracts) starts from glass that a camera ray hits. Without
// gather, a map is needed only when some glass object's bounding sphere
// reaches into the view of the region's pixels.
bool map_needed(const RenderContext &rc, const Region &region) {
  if (rc.scene->options.gather_rays > 0) return true;
  const Camera &c = rc.scene->camera;
  // The four planes through the eye and the region's edges, facing inward.
  auto ray = [&](double x, double y) {
    return rc.forward + rc.right * (2 * x / c.width - 1) + rc.up * (1 - 2 * y / c.height);
  };
  V3 corner[4] = {ray(region.x0, region.y0), ray(region.x1, region.y0), ray(region.x1, region.y1),
                  ray(region.x0, region.y1)};
  const std::vector<Object> &objects = rc.scene->objects;
  for (size_t i = 0; i < objects.size(); ++i) {
    if (objects[i].material.kind != MaterialKind::Glass) continue;
    PhotonTarget t = bounding_sphere(objects[i].shape, static_cast<int>(i));
    V3 to = t.centre - rc.eye;
    bool inside = dot(to, rc.forward) > -t.radius;
    for (int k = 0; k < 4 && inside; ++k) {
      V3 inward = normalize(cross(corner[k], corner[(k + 1) % 4]));
      inside = dot(to, inward) > -t.radius;
    }
    if (inside) return true;
  }
  return false;
}

// The first pass's kernel radius: the scene's caustic_radius when it gives
// one, else the radius of a disc that would hold `caustic_neighbours` of a
// pass's photons if they were spread evenly over the area of the glass as
// the lights see it (where the glass focuses light the disc holds many more).
double first_caustic_radius(const EmissionPlan &plan, const Options &options) {
  if (options.caustic_radius > 0) return options.caustic_radius;
  if (plan.photons == 0) return 1;
  return std::sqrt(options.caustic_neighbours * target_area(plan) / (kPi * plan.photons));
}

} // namespace

double pass_radius(double first, uint32_t pass) {
  double r2 = first * first;
  for (uint32_t i = 1; i <= pass; ++i) r2 *= (i + kRadiusAlpha) / (i + 1);
  return std::sqrt(r2);
}

int caustic_pass_blocks(const RenderContext &rc) { return photon_blocks(plan_of(rc, 0)); }

void run_caustic_pass(const RenderContext &rc, uint32_t pass, int threads, Framebuffer *image,
                      CausticMap *map, CausticStats *stats,
                      const std::function<void()> &block_done) {
  *map = CausticMap{};
  EmissionPlan plan = plan_of(rc, pass);
  if (plan.photons == 0) return;

  const Options &o = rc.scene->options;
  const Camera &camera = rc.scene->camera;
  SplatTarget target{
      splat_gathering_region(image->region, camera.width, camera.height, o.caustic_smoothing > 0),
      camera_focal_pixels(rc)};
  auto start = std::chrono::steady_clock::now();
  double cpu_start = cpu_seconds();
  PhotonPass photons =
      run_photon_pass(rc, plan, threads, block_done, &target, map_needed(rc, image->region));
  stats->pass_seconds += seconds_since(start);
  stats->pass_cpu_seconds += cpu_seconds() - cpu_start;

  start = std::chrono::steady_clock::now();
  // In photon order, on one thread: every pixel sums its splats in the same
  // order whatever the schedule. The smoothing discs shrink from pass to
  // pass as the map's radius does.
  double shrink = pass_radius(1, pass);
  add_splats(photons.splats, o.caustic_smoothing * shrink * shrink, image);
  CausticPassFigures figures;
  figures.emitted = photons.emitted;
  figures.stored = photons.photons.size();
  figures.splats = photons.splats.size();
  figures.radius = pass_radius(first_caustic_radius(plan, rc.scene->options), pass);
  build_caustic_map(std::move(photons.photons), figures.radius, map);
  stats->map_seconds += seconds_since(start);
  stats->map_bytes = std::max(stats->map_bytes, caustic_map_bytes(*map));
  stats->emitted += figures.emitted;
  stats->stored += figures.stored;
  stats->splats += figures.splats;
  stats->rays += photons.rays;
  stats->passes.push_back(figures);
}

} // namespace vr
