#include "photon/photon_pass.h"

#include "photon/photon_path.h"
#include "shading/tracer.h"

namespace vr {

void trace_photon(ThreadContext &tc, const EmissionPlan &plan, uint32_t index) {
  PhotonStart start;
  if (!emit_photon(*tc.rc->scene, plan, index, &start)) return;
  RenderState &light = open_root_state(tc, VITREL_RAY_PHOTON_FROM_LIGHT, photon_seed(plan, index));
  light.light = start.light;
  light.point = start.origin;
  light.geo_normal = start.normal;
  light.host.direction = to_vector(start.dir);
  light.host.normal = to_vector(start.normal);
  tc.strata = start.strata;
  continue_photon(light, VITREL_RAY_PHOTON_FROM_LIGHT, start.energy, start.dir);
  tc.strata = PhotonStrata{};
}

PhotonPass run_photon_pass(const RenderContext &rc, const EmissionPlan &plan, int threads,
                           const std::function<void()> &block_done, const SplatTarget *splat,
                           bool keep) {
  int blocks = photon_blocks(plan);
  std::vector<PhotonSink> sinks(static_cast<size_t>(blocks));
  PhotonPass pass;
  auto trace_block = [&](ThreadContext &tc, int b) {
    tc.photons = &sinks[static_cast<size_t>(b)];
    tc.photons->splat = splat;
    tc.photons->keep = keep;
    // Most photons store and splat once at most.
    if (keep) tc.photons->photons.reserve(kPhotonBlock);
    if (splat) tc.photons->splats.reserve(kPhotonBlock);
    uint32_t first = static_cast<uint32_t>(b) * kPhotonBlock;
    uint32_t end = std::min(plan.photons, first + kPhotonBlock);
    for (uint32_t i = first; i < end; ++i) trace_photon(tc, plan, i);
    tc.photons = nullptr;
    if (block_done) block_done();
  };
  for_each_block(rc, threads, blocks, trace_block,
                 [&](const ThreadContext &tc) { pass.rays += tc.rays; });

  pass.emitted = plan.photons;
  size_t stored = 0, splats = 0;
  for (const PhotonSink &s : sinks) stored += s.photons.size(), splats += s.splats.size();
  pass.photons.reserve(stored);
  pass.splats.reserve(splats);
  for (PhotonSink &s : sinks) {
    pass.photons.insert(pass.photons.end(), s.photons.begin(), s.photons.end());
    pass.splats.insert(pass.splats.end(), s.splats.begin(), s.splats.end());
    std::vector<StoredPhoton>().swap(s.photons);
    std::vector<Splat>().swap(s.splats);
  }
  return pass;
}

} // namespace vr
