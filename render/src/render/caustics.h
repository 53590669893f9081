// The photon stage of one pass: the photons traced before the pass's pixel
// samples, their splats onto the camera's view and the caustic map built
// from them, with the pass's radius and its statistics.
#ifndef VITREL_RENDER_RENDER_CAUSTICS_H
#define VITREL_RENDER_RENDER_CAUSTICS_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "image/framebuffer.h"
#include "photon/emission.h"
#include "photon/photon_map.h"
#include "shading/render_state.h"

namespace vr {

// One pass's photons and its kernel radius.
struct CausticPassFigures {
  uint64_t emitted = 0, stored = 0, splats = 0;
  double radius = 0;
};

struct CausticStats {
  uint64_t emitted = 0, stored = 0, splats = 0; // summed over the passes
  uint64_t rays = 0;                            // photon segments and splat visibility rays traced
  double pass_seconds = 0;                      // tracing the photons
  double pass_cpu_seconds = 0; // the same in processor time, summed over the threads
  double map_seconds = 0;      // building the maps and adding the splats
  size_t map_bytes = 0;        // the largest map of a pass
  std::vector<CausticPassFigures> passes;
};

// The progressive radius's shrinking rate: each pass keeps this share of the
// photons a pass's estimate held before (Knaus and Zwicker's alpha).
constexpr double kRadiusAlpha = 2.0 / 3;

// The kernel radius of pass `pass` (0 first): r_(i+1)^2 = r_i^2 (i + alpha) /
// (i + 1) for the i-th pass, so that the radius, and with it the blur,
// shrinks toward zero while each pass's estimate keeps enough photons for
// the average over passes to converge (Knaus and Zwicker 2011). A function
// of the index alone, so that passes can run apart.
double pass_radius(double first, uint32_t pass);

// Runs pass `pass`'s photons for the scene's caustic options on `threads`
// threads: adds their splats to `image` (its region's pixels, r g b) and
// builds *map with the pass's radius. The map stays empty when caustics are
// off (no photons asked for, or no light illuminates any glass). The same
// scene, pass and region give the same map and splats on any thread count.
void run_caustic_pass(const RenderContext &rc, uint32_t pass, int threads, Framebuffer *image,
                      CausticMap *map, CausticStats *stats,
                      const std::function<void()> &block_done);

// The photon blocks each pass traces, for the progress bar: 0 without caustics.
int caustic_pass_blocks(const RenderContext &rc);

} // namespace vr

#endif
