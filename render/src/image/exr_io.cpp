// OpenEXR: linear float RGBA; a crop keeps its place in the full frame as
// the file's data window.
#include <ImfArray.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <ImfRgbaFile.h>
#include <ImfStdIO.h>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <string>

#include "image/codecs.h"
#include "image/image_limits.h"

namespace vr {

Image read_exr(const std::string &path) {
  check_exr_header(path);
  Imf::RgbaInputFile file(path.c_str());
  Imath::Box2i dw = file.dataWindow();
  check_image_size(static_cast<long long>(dw.max.x) - dw.min.x + 1,
                   static_cast<long long>(dw.max.y) - dw.min.y + 1);
  int width = dw.max.x - dw.min.x + 1, height = dw.max.y - dw.min.y + 1;
  Imf::Array2D<Imf::Rgba> pixels(height, width);
  file.setFrameBuffer(&pixels[0][0] - dw.min.x - static_cast<ptrdiff_t>(dw.min.y) * width, 1,
                      width);
  file.readPixels(dw.min.y, dw.max.y);
  Image out{width, height, {}};
  out.rgba.reserve(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Imf::Rgba &p = pixels[y][x];
      // Half floats hold infinities and NaNs, which would spread through
      // every ray that sees the environment.
      for (float v : {float(p.r), float(p.g), float(p.b), float(p.a)}) {
        if (!std::isfinite(v))
          throw std::runtime_error("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                   ") is not a finite colour");
        out.rgba.push_back(v);
      }
    }
  return out;
}

bool encode_exr(const Framebuffer &fb, std::vector<unsigned char> *bytes, std::string *why) {
  try {
    Imath::Box2i display(Imath::V2i(0, 0), Imath::V2i(fb.full_width - 1, fb.full_height - 1));
    Imath::Box2i data(Imath::V2i(fb.region.x0, fb.region.y0),
                      Imath::V2i(fb.region.x1 - 1, fb.region.y1 - 1));
    Imf::Header header(display, data);
    const char *names[4] = {"R", "G", "B", "A"};
    for (const char *n : names) header.channels().insert(n, Imf::Channel(Imf::FLOAT));
    Imf::StdOSStream stream;
    {
      // The file's offset table is written when it closes, at the end of this scope.
      Imf::OutputFile file(stream, header);
      Imf::FrameBuffer frame;
      size_t xs = 4 * sizeof(float), ys = xs * static_cast<size_t>(fb.region.width());
      // The slice base is the address of pixel (0, 0) of the display window.
      char *origin = reinterpret_cast<char *>(const_cast<float *>(fb.rgba.data())) -
                     fb.region.x0 * xs - fb.region.y0 * ys;
      for (int c = 0; c < 4; ++c)
        frame.insert(names[c], Imf::Slice(Imf::FLOAT, origin + c * sizeof(float), xs, ys));
      file.setFrameBuffer(frame);
      file.writePixels(fb.region.height());
    }
    std::string text = stream.str();
    bytes->assign(text.begin(), text.end());
    return true;
  } catch (const std::exception &e) {
    *why = e.what();
    return false;
  }
}

} // namespace vr
