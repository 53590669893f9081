#include "scene/presets.h"

#include <cstring>

#include "scene/embedded.h"
#include "scene/json_read.h"
#include "scene/params_table.h"
#include "scene/texture_read.h"

namespace vr {

namespace {

void write_constant(GlassParams &params, const ParamField &field, const Node &node) {
  if (is_texture(node)) fail_at(node, "presets hold constants; textures belong in scene materials");
  write_field_value(params, field, node);
}

void apply_fields(GlassParams &params, const Node &node, bool require_all) {
  if (!node.value.is_object()) fail(node, "an object of glass fields");
  check_keys(
      node, [](std::string_view key) { return find_glass_field(key) != nullptr; },
      "unknown glass field");
  for (auto it = node.value.begin(); it != node.value.end(); ++it)
    write_constant(params, *find_glass_field(it.key()),
                   {*it, member_path(node.path, it.key()), node.file});
  if (!require_all) return;
  for (size_t i = 0; i < kGlassFieldCount; ++i)
    if (!node.value.contains(kGlassFields[i].name))
      fail_at(node, std::string("missing the field ") + kGlassFields[i].name);
}

} // namespace

std::vector<Preset> parse_presets(const std::string &text, const std::string &file) {
  Json json = parse_json(text, file);
  Node root{json, "", file};
  check_object(root, {"defaults", "presets"});
  GlassParams defaults{};
  apply_fields(defaults, member(root, "defaults"), true);

  Node presets = member(root, "presets");
  if (!presets.value.is_object() || presets.value.empty()) fail(presets, "an object of presets");
  std::vector<Preset> out;
  for (auto it = presets.value.begin(); it != presets.value.end(); ++it) {
    Preset p{it.key(), defaults};
    apply_fields(p.values, {*it, member_path("presets", it.key()), file}, false);
    out.push_back(p);
  }
  return out;
}

const std::vector<Preset> &builtin_presets() {
  static const std::vector<Preset> presets = parse_presets(embedded_presets(), "presets.json");
  return presets;
}

const Preset *find_preset(const std::vector<Preset> &presets, const std::string &name) {
  for (const Preset &p : presets)
    if (p.name == name) return &p;
  return nullptr;
}

} // namespace vr
