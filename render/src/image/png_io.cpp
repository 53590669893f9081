// PNG through libpng's simplified API.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <png.h>
#include <stdexcept>
#include <vector>

#include "image/codecs.h"
#include "image/image_io.h"
#include "image/image_limits.h"

namespace vr {

Image read_png(const std::string &path) {
  check_png_chunks(path);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    throw std::runtime_error(image.message);
  try {
    check_image_size(image.width, image.height);
  } catch (...) {
    png_image_free(&image);
    throw;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    std::string why = image.message;
    png_image_free(&image);
    throw std::runtime_error(why);
  }
  Image out{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  out.rgba.resize(pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) {
    float v = pixels[i] / 255.0f;
    out.rgba[i] = i % 4 == 3 ? v : srgb_to_linear(v);
  }
  return out;
}

// In memory: libpng's own file writer removes its file when a write fails,
// which would unlink a device such as /dev/full or a link to it.
bool encode_png(const Framebuffer &fb, std::vector<unsigned char> *bytes, std::string *why) {
  std::vector<uint8_t> pixels(fb.rgba.size());
  for (size_t i = 0; i < pixels.size(); ++i) {
    float v = fb.rgba[i];
    if (i % 4 != 3) v = linear_to_srgb(std::max(v, 0.0f));
    pixels[i] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(fb.region.width());
  image.height = static_cast<png_uint_32>(fb.region.height());
  image.format = PNG_FORMAT_RGBA;
  // The first call measures, the second encodes.
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) {
    bytes->resize(size);
    if (png_image_write_to_memory(&image, bytes->data(), &size, 0, pixels.data(), 0, nullptr)) {
      bytes->resize(size);
      return true;
    }
  }
  *why = image.message;
  return false;
}

} // namespace vr
