#include "render/caustics.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "photon/emission.h"
#include "photon/photon_pass.h"
#include "render/progress.h"

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

} // namespace

double default_caustic_radius(const EmissionPlan &plan, int neighbours) {
  // Twice the radius that would hold `neighbours` photons if all of them
  // were spread evenly over the glass's own area: where the glass focuses
  // light the neighbours lie far nearer, and where it scatters a faint glow
  // (the reflections off its surface) the lookup stops here rather than
  // blurring the glow over the floor, which would cost a search through
  // every photon in a wide circle at every diffuse hit. More photons give a
  // smaller radius, so the caustics sharpen as the count goes up.
  if (plan.photons == 0) return 1;
  return 2 * std::sqrt(neighbours * target_area(plan) / (kPi * plan.photons));
}

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
  double cpu_start = cpu_seconds();
  PhotonPass pass = run_photon_pass(rc, plan, threads, [&bar] { progress_step(bar); });
  st.pass_seconds = seconds_since(start);
  st.pass_cpu_seconds = cpu_seconds() - cpu_start;
  progress_end(bar);

  double radius =
      o.caustic_radius > 0 ? o.caustic_radius : default_caustic_radius(plan, o.caustic_neighbours);
  st.emitted = pass.emitted;
  st.stored = pass.photons.size();
  st.rays = pass.rays;
  start = std::chrono::steady_clock::now();
  build_caustic_map(std::move(pass.photons), o.caustic_neighbours, radius, map);
  st.map_seconds = seconds_since(start);
  st.map_bytes = caustic_map_bytes(*map);
}

} // namespace vr
