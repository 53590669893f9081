#include "scene/json_read.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <sstream>

#include "core/error.h"

namespace vr {

namespace {

std::string describe(const Json &v) {
  switch (v.type()) {
  case Json::value_t::null:
    return "null";
  case Json::value_t::boolean:
    return v.get<bool>() ? "true" : "false";
  case Json::value_t::string:
    return "the string " + v.dump(-1, ' ', /*ensure_ascii=*/true);
  case Json::value_t::array:
    return "an array of " + std::to_string(v.size());
  case Json::value_t::object:
    return "an object";
  case Json::value_t::number_float:
  case Json::value_t::number_integer:
  case Json::value_t::number_unsigned:
    return v.dump();
  default:
    return "an unreadable value";
  }
}

bool plain_name(const std::string &key) {
  return !key.empty() && std::all_of(key.begin(), key.end(),
                                     [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

} // namespace

std::string member_path(const std::string &path, const std::string &key) {
  if (!plain_name(key)) return path + "[" + Json(key).dump(-1, ' ', /*ensure_ascii=*/true) + "]";
  return path.empty() ? key : path + "." + key;
}

Json parse_json(const std::string &text, const std::string &file) {
  try {
    return Json::parse(text, nullptr, true, /*ignore_comments=*/true);
  } catch (const Json::parse_error &e) {
    // nlohmann's message carries the line and column after its own prefix.
    std::string what = e.what();
    size_t at = what.find("parse error");
    throw InputError(file, "",
                     "malformed JSON: " + (at == std::string::npos ? what : what.substr(at)));
  } catch (const Json::out_of_range &e) {
    // A number beyond the range of a double (1e999), which JSON allows.
    std::string what = e.what();
    size_t at = what.find("] ");
    throw InputError(file, "",
                     "malformed JSON: " + (at == std::string::npos ? what : what.substr(at + 2)));
  }
}

void fail(const Node &node, const std::string &expected) {
  throw InputError(node.file, node.path.empty() ? "(top level)" : node.path,
                   "expected " + expected + ", got " + describe(node.value));
}

void fail_at(const Node &node, const std::string &what) {
  throw InputError(node.file, node.path.empty() ? "(top level)" : node.path, what);
}

bool has(const Node &node, const char *key) {
  return node.value.is_object() && node.value.contains(key);
}

Node member(const Node &node, const char *key) {
  if (!node.value.is_object()) fail(node, "an object");
  auto it = node.value.find(key);
  if (it == node.value.end())
    throw InputError(node.file, member_path(node.path, key), "missing; this key is required");
  return {*it, member_path(node.path, key), node.file};
}

Node element(const Node &node, size_t index) {
  return {node.value.at(index), node.path + "[" + std::to_string(index) + "]", node.file};
}

void check_keys(const Node &node, const std::function<bool(std::string_view)> &known,
                const std::string &complaint) {
  if (!node.value.is_object()) fail(node, "an object");
  for (auto it = node.value.begin(); it != node.value.end(); ++it)
    if (!known(it.key())) throw InputError(node.file, member_path(node.path, it.key()), complaint);
}

void check_object(const Node &node, std::initializer_list<std::string_view> allowed) {
  std::ostringstream list;
  const char *sep = "";
  for (std::string_view k : allowed) list << sep << k, sep = ", ";
  check_keys(
      node,
      [&](std::string_view key) {
        return std::find(allowed.begin(), allowed.end(), key) != allowed.end();
      },
      "unknown key; expected one of: " + list.str());
}

size_t array_size(const Node &node) {
  if (!node.value.is_array()) fail(node, "an array");
  return node.value.size();
}

double read_number(const Node &node) {
  if (!node.value.is_number()) fail(node, "a number");
  double v = node.value.get<double>();
  if (!std::isfinite(v)) fail(node, "a finite number");
  return v;
}

double read_number_in(const Node &node, double lo, double hi) {
  double v = read_number(node);
  if (v < lo || v > hi) {
    std::ostringstream range;
    range << "a number from " << lo << " to " << hi;
    fail(node, range.str());
  }
  return v;
}

float read_float(const Node &node) {
  double v = read_number(node);
  if (std::fabs(v) > std::numeric_limits<float>::max())
    fail(node, "a number of single precision, at most 3.4e38 in size");
  return static_cast<float>(v);
}

int read_int_in(const Node &node, long long lo, long long hi) {
  std::ostringstream range;
  range << "an integer from " << lo << " to " << hi;
  if (!node.value.is_number_integer()) fail(node, range.str());
  // JSON keeps integers past the range of a signed 64-bit number unsigned;
  // read as signed they would wrap around to small or negative values.
  if (node.value.is_number_unsigned() &&
      node.value.get<unsigned long long>() > static_cast<unsigned long long>(hi))
    fail(node, range.str());
  long long v = node.value.get<long long>();
  if (v < lo || v > hi) fail(node, range.str());
  return static_cast<int>(v);
}

bool read_bool(const Node &node) {
  if (!node.value.is_boolean()) fail(node, "true or false");
  return node.value.get<bool>();
}

std::string read_string(const Node &node) {
  if (!node.value.is_string()) fail(node, "a string");
  return node.value.get<std::string>();
}

V3 read_v3(const Node &node) {
  if (!node.value.is_array() || node.value.size() != 3) fail(node, "an array of 3 numbers");
  return {read_number(element(node, 0)), read_number(element(node, 1)),
          read_number(element(node, 2))};
}

Colour read_colour(const Node &node) {
  size_t n = node.value.is_array() ? node.value.size() : 0;
  if (n != 3 && n != 4) fail(node, "a colour [r, g, b] or [r, g, b, a]");
  float c[4] = {0, 0, 0, 1};
  for (size_t i = 0; i < n; ++i) c[i] = read_float(element(node, i));
  return {c[0], c[1], c[2], c[3]};
}

} // namespace vr
