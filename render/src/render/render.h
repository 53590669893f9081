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
};

struct RenderStats {
  double seconds = 0; // the image, after the photon pass
  uint64_t rays = 0;
  int threads = 0;
  uint64_t estimates = 0; // caustic density estimates
  CausticStats caustics;
};

// Renders the region, after the photon pass when the scene has caustics.
// Every pixel depends only on the scene and its own position, never on the
// thread count or the order tiles are taken in; every call runs the same
// whole photon pass, so crops rendered apart stitch exactly.
Framebuffer render_image(const RenderContext &rc, const RenderSettings &settings,
                         RenderStats *stats);

// The colour of one pixel: the average of its samples.
Colour render_pixel(ThreadContext &tc, int x, int y);

} // namespace vr

#endif
