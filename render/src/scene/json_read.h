// Typed reading of scene JSON with the key path of every value kept, so that
// every complaint names the file, the key and what was expected.
#ifndef VITREL_RENDER_SCENE_JSON_READ_H
#define VITREL_RENDER_SCENE_JSON_READ_H

#include <functional>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/vec.h"
#include <vitrel/host/state.h>

namespace vr {

using Json = nlohmann::json;

struct Node {
  const Json &value;
  std::string path; // e.g. objects[2].material.ior; empty at the root
  const std::string &file;
};

// Parses text as JSON (comments allowed); malformed text is an InputError
// naming the line and column.
Json parse_json(const std::string &text, const std::string &file);

[[noreturn]] void fail(const Node &node, const std::string &expected);
[[noreturn]] void fail_at(const Node &node, const std::string &what);

// The path of the member `key` below `path`: a key of letters, digits and
// '_' after a dot, any other key as a quoted JSON string in brackets
// (["a.b"], ["line\nbreak"]), so that the path reads back unambiguously
// and a message stays on one printable line.
std::string member_path(const std::string &path, const std::string &key);

bool has(const Node &node, const char *key);
Node member(const Node &node, const char *key);
Node element(const Node &node, size_t index);
// Requires an object whose every key `known` accepts; the first key it
// rejects stops loading with that key's path and `complaint`.
void check_keys(const Node &node, const std::function<bool(std::string_view)> &known,
                const std::string &complaint);
// The same for a fixed list of keys, which the complaint names.
void check_object(const Node &node, std::initializer_list<std::string_view> allowed);
size_t array_size(const Node &node); // requires an array

double read_number(const Node &node);
double read_number_in(const Node &node, double lo, double hi);
// A number the renderer keeps in single precision: beyond its range it would
// become infinite, so it is refused.
float read_float(const Node &node);
int read_int_in(const Node &node, long long lo, long long hi);
bool read_bool(const Node &node);
std::string read_string(const Node &node);
V3 read_v3(const Node &node);
// Three or four numbers; alpha defaults to 1.
Colour read_colour(const Node &node);

} // namespace vr

#endif
