// The PNG and OpenEXR codecs behind image_io.h.
#ifndef VITREL_RENDER_IMAGE_CODECS_H
#define VITREL_RENDER_IMAGE_CODECS_H

#include <string>

#include "image/framebuffer.h"
#include "image/image.h"

namespace vr {

Image read_png(const std::string &path);
bool write_png(const std::string &path, const Framebuffer &fb, std::string *why);
Image read_exr(const std::string &path);
bool write_exr(const std::string &path, const Framebuffer &fb, std::string *why);

} // namespace vr

#endif
