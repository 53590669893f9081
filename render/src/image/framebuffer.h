// The rendered pixels: linear RGBA floats of one region of the full frame.
#ifndef VITREL_RENDER_IMAGE_FRAMEBUFFER_H
#define VITREL_RENDER_IMAGE_FRAMEBUFFER_H

#include <cstddef>
#include <vector>

namespace vr {

struct Region {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // half-open, in full-frame pixels
  int width() const { return x1 - x0; }
  int height() const { return y1 - y0; }
};

struct Framebuffer {
  int full_width = 0, full_height = 0;
  Region region;           // the pixels held, row 0 = region.y0 (top)
  std::vector<float> rgba; // region.width() * region.height() * 4
};

inline Framebuffer make_framebuffer(int full_width, int full_height, Region region) {
  Framebuffer fb{full_width, full_height, region, {}};
  fb.rgba.assign(static_cast<size_t>(region.width()) * region.height() * 4, 0.0f);
  return fb;
}

} // namespace vr

#endif
