#include "core/error.h"

#include <cstdio>

namespace vr {

namespace {

void append_escaped(std::string *out, unsigned char c) {
  if (c >= 0x20 && c < 0x7f) {
    *out += static_cast<char>(c);
    return;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
  *out += hex;
}

} // namespace

std::string escape_bytes(const std::string &text) {
  std::string out;
  for (char c : text) append_escaped(&out, static_cast<unsigned char>(c));
  return out;
}

std::string one_line(const std::string &text) {
  size_t end = text.find_last_not_of("\r\n");
  std::string out;
  bool in_break = false;
  for (size_t i = 0; end != std::string::npos && i <= end; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || c == '\r') {
      if (!in_break) out += "; ";
      in_break = true;
      continue;
    }
    in_break = false;
    append_escaped(&out, c);
  }
  return out;
}

} // namespace vr
