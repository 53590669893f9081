// The renderer's per-ray record and the contexts it points to.
#ifndef VITREL_RENDER_SHADING_RENDER_STATE_H
#define VITREL_RENDER_SHADING_RENDER_STATE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <type_traits>
#include <vector>

#include "abi/host_values.h"
#include "geometry/accel.h"
#include "module/module.h"
#include "sampler/path_sampling.h"
#include "sampler/sobol.h"
#include "scene/scene.h"
#include "shading/caustic_lookup.h"

namespace vr {

struct ThreadContext;
struct PhotonSink; // the photon pass's store, kept by the layer above

// One ray's hit. HostState comes first, so the module's HostState* is the
// address of this record; everything after it is the renderer's own.
struct RenderState {
  HostState host;
  ThreadContext *thread;
  int depth;  // slot in the thread's arena; the root (camera hit) is 0
  int object; // hit object, or -1
  int light;  // hit visible area light, or -1
  V3 point;
  V3 geo_normal; // unit, on the side the ray came from (like host.normal)
  double u, v;
  V3 object_point;
  // Falloff installed by a shader for the rays traced from this state.
  double falloff_start, falloff_stop;
  PathSeed path;              // the path's random numbers
  uint32_t light_scramble[2]; // of the current light's sample positions (Sobol dimensions 0, 1)
  // Storage behind pointers handed to the module, alive as long as the state:
  // light lists from mi_inclusive/exclusive_lightlist, and evaluated
  // parameter values from mi_phen_eval at their fields' own offsets.
  Tag lights[kMaxLights];
  alignas(16) unsigned char values[sizeof(GlassParams)];
};

static_assert(std::is_standard_layout_v<RenderState> && offsetof(RenderState, host) == 0,
              "the module's HostState* must be the address of the RenderState");

inline RenderState *render_state(HostState *s) { return reinterpret_cast<RenderState *>(s); }

constexpr double kNoFalloff = std::numeric_limits<double>::infinity();

// An area light that rays can see, as the hit test wants it: the edges
// divided by their squared lengths give the hit's rectangle coordinates by a
// dot product alone.
struct VisibleLight {
  int index; // in Scene::lights
  V3 position, normal;
  V3 u_axis, v_axis; // edge / |edge|^2
};

// What every thread reads while rendering; immutable once built.
struct RenderContext {
  const Scene *scene = nullptr;
  const Accel *accel = nullptr;
  const ShaderModule *module = nullptr;
  HostCamera camera{};
  HostOptions options{};
  int32_t single_path = 0;         // the answer to query 142
  std::vector<HostShader> shaders; // one record per object: its shader's identity
  V3 eye, forward, right, up;      // camera frame, right and up scaled to the image plane
  std::vector<VisibleLight> visible_lights;
  CausticLookup caustics; // installed by the photon pass when caustics are on
};

// Stratified numbers a photon's path takes for its first random decisions.
constexpr int kPhotonStrata = 6;

// Where they come from: dimensions of the point of a scrambled Sobol
// sequence that the photon stands for, worked out only when taken.
struct PhotonStrata {
  uint32_t point = 0;
  const uint32_t *scramble = nullptr; // per dimension
  int8_t dimension[kPhotonStrata] = {};
  int next = 0, count = 0;
};

// One thread's working storage: a state per trace depth.
struct ThreadContext {
  const RenderContext *rc = nullptr;
  std::vector<RenderState> arena;
  uint64_t rays = 0;      // rays cast, for the statistics
  uint64_t estimates = 0; // caustic density estimates, for the statistics
  // Where mi_store_photon puts photons during the photon pass; null while
  // the image is rendered.
  PhotonSink *photons = nullptr;
  // The current photon's stratified numbers: those not yet taken are
  // dimension[next .. count - 1]. None while the image is rendered.
  PhotonStrata strata;
  // The nearest hit of the ray being traced, before it goes into the state.
  // Kept here rather than on the stack: a hit writes every field, so clearing
  // a fresh record for every ray would be wasted work.
  SurfaceHit hit;
};

void init_thread_context(const RenderContext &rc, ThreadContext *tc);

// The next uniform number of s's path for a single decision (a scatter's
// choice, a one-off sample): the photon's next stratified number while it
// has one, else an independent number of the path.
inline double decision_uniform(RenderState &s) {
  PhotonStrata &p = s.thread->strata;
  if (p.next < p.count) {
    int d = p.dimension[p.next++];
    return scrambled_sobol_point(p.point, d, p.scramble[d]);
  }
  return draw_uniform(s.path);
}

// The worker threads asked for: `threads`, or every core for 0 or less.
int worker_threads(int threads);

// Runs work(tc, b) for every block b in 0..blocks-1 on `threads` worker
// threads (as worker_threads reads it), each thread with a ThreadContext of
// its own over rc. Blocks are handed out one at a time: they are few and
// their costs uneven. Then gather(tc) visits every thread's context, for its
// counts.
void for_each_block(const RenderContext &rc, int threads, int blocks,
                    const std::function<void(ThreadContext &, int)> &work,
                    const std::function<void(const ThreadContext &)> &gather);

} // namespace vr

#endif
