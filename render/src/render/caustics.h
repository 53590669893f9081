// The photon stage of a render: the photons traced before the image and the
// caustic map built from them, with its progress bar and its statistics.
#ifndef VITREL_RENDER_RENDER_CAUSTICS_H
#define VITREL_RENDER_RENDER_CAUSTICS_H

#include <cstddef>
#include <cstdint>

#include "photon/emission.h"
#include "photon/photon_map.h"
#include "shading/render_state.h"

namespace vr {

struct CausticStats {
  uint64_t emitted = 0, stored = 0;
  uint64_t rays = 0;           // photon segments traced
  double pass_seconds = 0;     // tracing the photons
  double pass_cpu_seconds = 0; // the same in processor time, summed over the threads
  double map_seconds = 0;      // building the k-d tree
  size_t map_bytes = 0;
};

// The lookup radius of a scene that sets none: twice the radius that would
// hold `neighbours` photons if the plan's photons were spread evenly over the
// area of its glass objects.
double default_caustic_radius(const EmissionPlan &plan, int neighbours);

// Runs the photon pass for the scene's caustic options on `threads` threads
// and builds *map; the map stays empty when caustics are off (no photons
// asked for, or no light illuminates any glass). Every call with the same
// scene builds the same map.
void build_caustics(const RenderContext &rc, int threads, bool progress, CausticMap *map,
                    CausticStats *stats);

} // namespace vr

#endif
