#include "image/image_limits.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>

#include "core/error.h"
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

// The size of the open file, leaving it at its start.
long long file_size(std::istream &in) {
  in.seekg(0, std::ios::end);
  const long long size = in.tellg();
  in.seekg(0);
  return size;
}

// A channel list: entries of a name, the pixel type (4 bytes), linear
// (1), reserved (3) and the x and y sampling (4 each), ended by an empty
// name exactly at the attribute's end.
void check_channel_list(std::istream &in, std::streampos end, const std::string &name,
                        size_t longest) {
  bool ended = false;
  while (!ended && in && in.tellg() < end)
    if (read_name(in, longest).empty())
      ended = true;
    else
      in.seekg(16, std::ios::cur);
  if (!ended || !in || in.tellg() != end)
    damaged("the channel list " + name + " does not end at its size");
}

} // namespace

void check_png_chunks(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open the file");
  const long long size = file_size(in);
  unsigned char head[8];
  // Each chunk: length (big-endian), type, data, CRC. A file cut short
  // inside a chunk's header is left to the decoder to report.
  for (in.seekg(8); in.read(reinterpret_cast<char *>(head), 8);) {
    const long long length =
        static_cast<long long>(uint32_t(head[0]) << 24 | uint32_t(head[1]) << 16 |
                               uint32_t(head[2]) << 8 | uint32_t(head[3]));
    const std::string type(reinterpret_cast<const char *>(head + 4), 4);
    if (length > size - static_cast<long long>(in.tellg()) - 4)
      throw std::runtime_error("damaged PNG: the chunk " + one_line(type) + " claims " +
                               std::to_string(length) + " bytes, more than the file holds");
    if (type == "IEND") return;
    in.seekg(length + 4, std::ios::cur);
  }
}

void check_exr_header(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open the file");
  const long long size = file_size(in);
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
      const std::streampos end = in.tellg() + std::streamoff(bytes);
      if (name == "dataWindow" && type == "box2i" && bytes == 16) {
        long long x0 = read_i32(in), y0 = read_i32(in), x1 = read_i32(in), y1 = read_i32(in);
        check_image_size(x1 - x0 + 1, y1 - y0 + 1);
      } else if (type == "chlist") {
        check_channel_list(in, end, name, longest);
      } else if (type == "preview") {
        // Width and height, then 4 bytes a pixel: the library allocates the
        // pixels from the two numbers.
        long long w = static_cast<uint32_t>(read_i32(in)), h = static_cast<uint32_t>(read_i32(in));
        if (8 + 4 * w * h != bytes) damaged("the preview's size does not match its pixels");
      } else if (type == "stringvector") {
        // Strings, each after its length, filling the attribute.
        while (in.tellg() < end) {
          int32_t length = read_i32(in);
          if (length < 0 || length > end - in.tellg()) damaged("a string runs past " + name);
          in.seekg(length, std::ios::cur);
        }
      }
      // Every attribute ends where its size says: the library reads some
      // kinds (channel lists) by their contents, and one that ran on would
      // read the next attribute's bytes as sizes.
      if (!in || in.tellg() > end) damaged("the attribute " + name + " runs past its size");
      in.seekg(end);
    }
    if (!multipart) return;
  }
}

} // namespace vr
