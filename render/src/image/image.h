// A picture read from a file: linear RGBA floats.
#ifndef VITREL_RENDER_IMAGE_IMAGE_H
#define VITREL_RENDER_IMAGE_IMAGE_H

#include <vector>

namespace vr {

// The largest picture read: 16384 pixels a side and 16384 x 8192 pixels in
// all (a 16k lat-long environment, 2 GiB as linear float RGBA). A file that
// declares more is refused before anything is allocated for its pixels.
constexpr int kMaxImageSide = 16384;
constexpr long long kMaxImagePixels = 16384LL * 8192;

struct Image {
  int width = 0, height = 0;
  std::vector<float> rgba; // linear, row 0 at the top
};

} // namespace vr

#endif
