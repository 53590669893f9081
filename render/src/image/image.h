// A picture read from a file: linear RGBA floats.
#ifndef VITREL_RENDER_IMAGE_IMAGE_H
#define VITREL_RENDER_IMAGE_IMAGE_H

#include <vector>

namespace vr {

struct Image {
  int width = 0, height = 0;
  std::vector<float> rgba; // linear, row 0 at the top
};

} // namespace vr

#endif
