#include "image/image_io.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "core/error.h"
#include "image/codecs.h"

namespace vr {

ImageFormat format_of(const std::string &path) {
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return ImageFormat::Unknown;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (ext == "png") return ImageFormat::Png;
  if (ext == "exr") return ImageFormat::Exr;
  return ImageFormat::Unknown;
}

Image read_image(const std::string &path) {
  // A device or a pipe named as an image would be read without end.
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw std::runtime_error("not a regular file");
  switch (format_of(path)) {
  case ImageFormat::Png:
    return read_png(path);
  case ImageFormat::Exr:
    return read_exr(path);
  case ImageFormat::Unknown:
    break;
  }
  throw std::runtime_error("not a .png or .exr file");
}

ImageFormat output_format(const OutputTarget &target) {
  ImageFormat format = format_of(target.name);
  // A device or pipe has no name to choose by: it gets the default, PNG.
  if (format == ImageFormat::Unknown && target.kind == OutputKind::Stream) return ImageFormat::Png;
  return format;
}

void write_image(const std::string &path, const Framebuffer &fb) {
  OutputTarget target = resolve_output(path);
  ImageFormat format = output_format(target);
  if (format == ImageFormat::Unknown)
    throw OutputError("cannot write '" + path + "': the name must end in .png or .exr");
  std::vector<unsigned char> bytes;
  std::string why;
  bool ok =
      format == ImageFormat::Png ? encode_png(fb, &bytes, &why) : encode_exr(fb, &bytes, &why);
  if (!ok) throw OutputError("cannot write '" + path + "': " + why);
  write_output(target, bytes);
}

} // namespace vr
