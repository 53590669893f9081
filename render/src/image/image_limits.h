// Checks of a picture's declared size against the reader's limits, made
// from the file's header before any pixel memory is taken.
#ifndef VITREL_RENDER_IMAGE_IMAGE_LIMITS_H
#define VITREL_RENDER_IMAGE_IMAGE_LIMITS_H

#include <string>

namespace vr {

// Throws std::runtime_error when width x height is empty or passes
// kMaxImageSide or kMaxImagePixels.
void check_image_size(long long width, long long height);

// Walks the headers of an OpenEXR file and throws std::runtime_error when an
// attribute claims more bytes than the file holds or the data window passes
// the limits. The library sizes its buffers from these numbers before it
// reads the bytes behind them, so a damaged header would otherwise take
// gigabytes before failing.
void check_exr_header(const std::string &path);

// The same for the chunks of a PNG file: libpng takes a chunk's memory at
// the size its header declares.
void check_png_chunks(const std::string &path);

} // namespace vr

#endif
