#include "render/caustics.h"

#include <chrono>

#include "photon/emission.h"
#include "photon/photon_pass.h"
#include "render/progress.h"

namespace vr {

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

void build_caustics(const RenderContext &rc, int threads, bool progress, CausticMap *map,
                    CausticStats *stats) {
  const Options &o = rc.scene->options;
  CausticStats local;
  CausticStats &st = stats ? *stats : local;
  st = CausticStats{};
  build_caustic_map({}, o.caustic_neighbours, 1, map);
  if (o.caustic_photons <= 0) return;
  EmissionPlan plan = plan_emission(*rc.scene, static_cast<uint32_t>(o.caustic_photons));
  if (plan.photons == 0) return;

  Progress bar;
  progress_begin(bar, progress, photon_blocks(plan), "photons");
  auto start = std::chrono::steady_clock::now();
  PhotonPass pass = run_photon_pass(rc, plan, threads, [&bar] { progress_step(bar); });
  st.pass_seconds = seconds_since(start);
  progress_end(bar);

  // Without a radius of its own the lookup reaches a fifth of the largest
  // glass object's bounding radius: far enough to smooth a sparse caustic's
  // edge, near enough not to blur a focused one.
  double radius = o.caustic_radius > 0 ? o.caustic_radius : 0.2 * largest_target_radius(plan);
  st.emitted = pass.emitted;
  st.stored = pass.photons.size();
  st.rays = pass.rays;
  start = std::chrono::steady_clock::now();
  build_caustic_map(std::move(pass.photons), o.caustic_neighbours, radius, map);
  st.map_seconds = seconds_since(start);
  st.map_bytes = caustic_map_bytes(*map);
}

} // namespace vr
