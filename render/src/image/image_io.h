// Reading environment images and writing the rendered picture.
#ifndef VITREL_RENDER_IMAGE_IMAGE_IO_H
#define VITREL_RENDER_IMAGE_IMAGE_IO_H

#include <string>

#include "image/framebuffer.h"
#include "image/image.h"
#include "image/output_file.h"

namespace vr {

enum class ImageFormat { Png, Exr, Unknown };
ImageFormat format_of(const std::string &path); // by extension, case-insensitive

// A PNG (sRGB, decoded to linear) or OpenEXR image. Throws
// std::runtime_error with the reason.
Image read_image(const std::string &path);

// The format the name asks for; a device or pipe with neither extension gets PNG.
ImageFormat output_format(const OutputTarget &target);

// PNG: 8-bit sRGB with alpha; OpenEXR: linear float RGBA whose data window is
// the region within the full frame. The picture is encoded in memory, then
// written as write_output says: a file appears whole or not at all. Throws
// OutputError.
void write_image(const std::string &path, const Framebuffer &fb);

float srgb_to_linear(float v);
float linear_to_srgb(float v);

} // namespace vr

#endif
