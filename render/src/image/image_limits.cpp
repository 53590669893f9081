#include "image/image_limits.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>

#include "image/image.h"

namespace vr {

void check_image_size(long long width, long long height) {
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
      width * height > kMaxImagePixels)
    throw std::runtime_error("the image is " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels; the most read is " +
                             std::to_string(kMaxImageSide) + " a side and " +
                             std::to_string(kMaxImagePixels) + " in all");
}

namespace {

[[noreturn]] void damaged(const std::string &why) {
  throw std::runtime_error("damaged OpenEXR header: " + why);
}

// Little-endian 32-bit signed, as every integer of the format.
int32_t read_i32(std::istream &in) {
  unsigned char b[4];
  if (!in.read(reinterpret_cast<char *>(b), 4)) damaged("it ends early");
  return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                              uint32_t(b[3]) << 24);
}

// A null-terminated name of at most `longest` characters.
std::string read_name(std::istream &in, size_t longest) {
  std::string name;
  char c;
  while (in.get(c) && c != '\0')
    if (name.size() == longest)
      damaged("a name longer than " + std::to_string(longest));
    else
      name += c;
  if (!in) damaged("it ends early");
  return name;
}

} // namespace

void check_exr_header(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open the file");
  in.seekg(0, std::ios::end);
  const long long size = in.tellg();
  in.seekg(0);
  if (read_i32(in) != 20000630) damaged("not an OpenEXR file");
  const int32_t version = read_i32(in);
  const size_t longest = version & 0x400 ? 255 : 31;
  const bool multipart = version & 0x1000;
  // One header, or for a multi-part file several, each ended by an empty
  // name; an empty header ends the list of a multi-part file.
  for (bool first = true;; first = false) {
    std::string name = read_name(in, longest);
    if (name.empty() && (!multipart || !first)) return;
    for (; !name.empty(); name = read_name(in, longest)) {
      std::string type = read_name(in, longest);
      int32_t bytes = read_i32(in);
      if (bytes < 0 || bytes > size - static_cast<long long>(in.tellg()))
        damaged("the attribute " + name + " claims " + std::to_string(bytes) +
                " bytes, more than the file holds");
      if (name == "dataWindow" && type == "box2i" && bytes == 16) {
        long long x0 = read_i32(in), y0 = read_i32(in), x1 = read_i32(in), y1 = read_i32(in);
        check_image_size(x1 - x0 + 1, y1 - y0 + 1);
      } else {
        in.seekg(bytes, std::ios::cur);
      }
    }
    if (!multipart) return;
  }
}

} // namespace vr
