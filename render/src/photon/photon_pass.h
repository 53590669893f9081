// The photon pass before the image: every photon of the emission plan is
// traced from its light through the glass, and the photons stored on the way
// are gathered in photon order.
#ifndef VITREL_RENDER_PHOTON_PHOTON_PASS_H
#define VITREL_RENDER_PHOTON_PHOTON_PASS_H

#include <cstdint>
#include <functional>
#include <vector>

#include "photon/emission.h"
#include "photon/stored_photon.h"
#include "shading/render_state.h"

namespace vr {

// Photons are traced in blocks of this many; a block's photons are stored
// together and the blocks are joined in order.
constexpr uint32_t kPhotonBlock = 4096;

inline int photon_blocks(const EmissionPlan &plan) {
  return static_cast<int>((uint64_t{plan.photons} + kPhotonBlock - 1) / kPhotonBlock);
}

struct PhotonPass {
  std::vector<StoredPhoton> photons; // stored, in the order of the photons that stored them
  std::vector<Splat> splats;         // made, in the same order
  uint64_t emitted = 0;              // photons sent from the lights
  uint64_t rays = 0;                 // photon segments traced
};

// Traces photon `index` of the plan with the thread's storage; what it stores
// goes to the thread's sink.
void trace_photon(ThreadContext &tc, const EmissionPlan &plan, uint32_t index);

// Traces every photon of the plan on `threads` threads (0: every core) and
// calls block_done after each block; photons that land in the camera's
// direct view are splatted to `splat`'s pixels unless it is null, and
// photons are stored for the map only when `keep` is true. Each
// photon's path depends only on its index and pass, and the blocks' photons
// and splats are joined in block order, so the result is the same for any
// thread count and any schedule.
PhotonPass run_photon_pass(const RenderContext &rc, const EmissionPlan &plan, int threads,
                           const std::function<void()> &block_done,
                           const SplatTarget *splat = nullptr, bool keep = true);

} // namespace vr

#endif
