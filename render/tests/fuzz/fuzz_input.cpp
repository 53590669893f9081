#include "fuzz_input.h"

#include <cctype>
#include <zlib.h>

namespace vr::fuzz {

namespace {

constexpr const char kMarker[] = "\n@@ ";
constexpr size_t kMarkerLength = sizeof kMarker - 1;

bool plain_file_name(const std::string &name) {
  if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-'))
      return false;
  return true;
}

uint32_t read_be32(const std::string &s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
         uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}

} // namespace

FuzzInput split_input(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  FuzzInput input;
  size_t at = text.find(kMarker);
  input.scene = text.substr(0, at);
  while (at != std::string::npos) {
    size_t name_start = at + kMarkerLength;
    size_t name_end = text.find('\n', name_start);
    if (name_end == std::string::npos) break;
    size_t next = text.find(kMarker, name_end);
    SideFile file{
        text.substr(name_start, name_end - name_start),
        text.substr(name_end + 1, next == std::string::npos ? next : next - name_end - 1)};
    if (plain_file_name(file.name)) input.files.push_back(std::move(file));
    at = next;
  }
  return input;
}

void fix_png_checksums(std::string *png) {
  // After the 8-byte signature: length, type, data, CRC of type and data.
  size_t at = 8;
  while (at + 12 <= png->size()) {
    uint32_t length = read_be32(*png, at);
    if (length > png->size() - at - 12) break;
    const auto *typed = reinterpret_cast<const Bytef *>(png->data() + at + 4);
    uLong crc = crc32(0L, typed, length + 4);
    for (int i = 0; i < 4; ++i)
      (*png)[at + 8 + length + i] = static_cast<char>((crc >> (24 - 8 * i)) & 0xff);
    at += 12 + length;
  }
}

} // namespace vr::fuzz
