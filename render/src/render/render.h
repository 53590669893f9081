// Rendering an image: pixel samples over tiles, threads with oneTBB.
#ifndef VITREL_RENDER_RENDER_RENDER_H
#define VITREL_RENDER_RENDER_RENDER_H

#include <cstdint>

#include "image/framebuffer.h"
#include "render/caustics.h"
#include "shading/render_state.h"

namespace vr {

// Builds the shared context: host records, one shader record per object,
// the camera frame.
void make_render_context(const Scene &scene, const Accel &accel, const ShaderModule &module,
                         bool single_path, RenderContext *rc);

struct RenderSettings {
  int threads = 0; // 0: as many as the machine has
  Region region;   // the part of the frame to render
  bool progress = false;
  // The frame's passes (the scene's "passes" unless set): each traces its
  // own photons and renders samples / passes of each pixel's samples (at
  // least one).
  int passes = 0;
  // The passes this call renders, first_pass <= pass < end_pass (end 0: to
  // `passes`); the picture is their average, so that pictures of disjoint
  // ranges of equal length average to the picture of all of them.
  int first_pass = 0, end_pass = 0;
  // Wall-clock seconds after which no further pass starts (0: none). The
  // pass that crosses the budget finishes.
  double seconds = 0;
};

struct RenderStats {
  double seconds = 0;       // the whole render, photons included
  double image_seconds = 0; // the pixel samples alone
  uint64_t rays = 0;
  int threads = 0;
  int passes = 0; // passes rendered
  int samples_per_pass = 0;
  uint64_t estimates = 0; // caustic density estimates
  CausticStats caustics;
};

// The pixel samples each pass of `passes` renders out of `samples`.
int samples_per_pass(int samples, int passes);

// Renders the region in passes: each pass runs its photons, whose splats
// add the caustics the camera sees directly on diffuse surfaces, then its
// share of every pixel's samples, which look the pass's caustic map up
// everywhere else. Every pixel depends only on the scene, its own position
// and the passes rendered, never on the thread count or the order tiles are
// taken in; every call runs each pass's whole photon pass, so crops rendered
// apart stitch exactly.
Framebuffer render_image(const RenderContext &rc, const RenderSettings &settings,
                         RenderStats *stats);

// The colour of one pixel: the average of all its samples.
Colour render_pixel(ThreadContext &tc, int x, int y);

} // namespace vr

#endif
