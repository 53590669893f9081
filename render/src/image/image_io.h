// Reading environment images and writing the rendered picture.
#ifndef VITREL_RENDER_IMAGE_IMAGE_IO_H
#define VITREL_RENDER_IMAGE_IMAGE_IO_H

#include <string>

#include "image/framebuffer.h"
#include "image/image.h"

namespace vr {

enum class ImageFormat { Png, Exr, Unknown };
ImageFormat format_of(const std::string &path); // by extension, case-insensitive

// A PNG (sRGB, decoded to linear) or OpenEXR image. Throws
// std::runtime_error with the reason.
Image read_image(const std::string &path);

// PNG: 8-bit sRGB with alpha; OpenEXR: linear float RGBA whose data window is
// the region within the full frame. The file appears whole or not at all: it
// is written beside its final name and renamed. Throws OutputError.
void write_image(const std::string &path, const Framebuffer &fb);

float srgb_to_linear(float v);
float linear_to_srgb(float v);

} // namespace vr

#endif
