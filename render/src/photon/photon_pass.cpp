#include "photon/photon_pass.h"

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include "photon/photon_path.h"
#include "shading/tracer.h"

namespace vr {

void trace_photon(ThreadContext &tc, const EmissionPlan &plan, uint32_t index) {
  PhotonStart start;
  if (!emit_photon(*tc.rc->scene, plan, index, &start)) return;
  RenderState &light = open_root_state(tc, VITREL_RAY_PHOTON_FROM_LIGHT, photon_seed(index));
  light.light = start.light;
  light.point = start.origin;
  light.geo_normal = start.normal;
  light.host.direction = to_vector(start.dir);
  light.host.normal = to_vector(start.normal);
  continue_photon(light, VITREL_RAY_PHOTON_FROM_LIGHT, start.energy, start.dir);
}

PhotonPass run_photon_pass(const RenderContext &rc, const EmissionPlan &plan, int threads,
                           const std::function<void()> &block_done) {
  int blocks = photon_blocks(plan);
  std::vector<PhotonSink> sinks(static_cast<size_t>(blocks));
  tbb::task_arena arena(threads > 0 ? threads : tbb::this_task_arena::max_concurrency());
  tbb::enumerable_thread_specific<ThreadContext> contexts([&] {
    ThreadContext tc;
    init_thread_context(rc, &tc);
    return tc;
  });
  arena.execute([&] {
    tbb::parallel_for(
        tbb::blocked_range<int>(0, blocks, 1),
        [&](const tbb::blocked_range<int> &range) {
          ThreadContext &tc = contexts.local();
          for (int b = range.begin(); b != range.end(); ++b) {
            tc.photons = &sinks[static_cast<size_t>(b)];
            tc.photons->photons.reserve(kPhotonBlock); // most photons store once at most
            uint32_t first = static_cast<uint32_t>(b) * kPhotonBlock;
            uint32_t end = std::min(plan.photons, first + kPhotonBlock);
            for (uint32_t i = first; i < end; ++i) trace_photon(tc, plan, i);
            tc.photons = nullptr;
            if (block_done) block_done();
          }
        },
        tbb::simple_partitioner());
  });

  PhotonPass pass;
  pass.emitted = plan.photons;
  size_t stored = 0;
  for (const PhotonSink &s : sinks) stored += s.photons.size();
  pass.photons.reserve(stored);
  for (PhotonSink &s : sinks) {
    pass.photons.insert(pass.photons.end(), s.photons.begin(), s.photons.end());
    std::vector<StoredPhoton>().swap(s.photons);
  }
  for (const ThreadContext &tc : contexts) pass.rays += tc.rays;
  return pass;
}

} // namespace vr
