// The PNG and OpenEXR codecs behind image_io.h.
#ifndef VITREL_RENDER_IMAGE_CODECS_H
#define VITREL_RENDER_IMAGE_CODECS_H

#include <string>
#include <vector>

#include "image/framebuffer.h"
#include "image/image.h"

namespace vr {

Image read_png(const std::string &path);
// The encoders fill `bytes` with the whole file, or say why not and return false.
bool encode_png(const Framebuffer &fb, std::vector<unsigned char> *bytes, std::string *why);
Image read_exr(const std::string &path);
bool encode_exr(const Framebuffer &fb, std::vector<unsigned char> *bytes, std::string *why);

} // namespace vr

#endif
