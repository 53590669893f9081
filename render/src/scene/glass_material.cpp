#include "scene/glass_material.h"

#include <algorithm>
#include <cstring>

#include "scene/light_names.h"
#include "scene/params_table.h"
#include "scene/texture_read.h"

namespace vr {

size_t record_bytes(size_t light_count) {
  return sizeof(GlassParams) + sizeof(Tag) * (std::max<size_t>(light_count, 1) - 1);
}

namespace {

// Lays out the record, its further lights and, when any field is connected,
// the connection flags.
GlassMaterial build_glass_block(const GlassParams &values, const std::vector<Tag> &lights,
                                std::vector<ParamConnection> connections) {
  static_assert(sizeof(GlassParams) % 4 == 0 && alignof(GlassParams) <= alignof(uint32_t),
                "the record is laid out in 32-bit words");
  GlassMaterial m;
  size_t bytes = record_bytes(lights.size());
  m.interface_offset = connections.empty() ? 0 : static_cast<int32_t>(bytes);
  m.block.assign((connections.empty() ? bytes : 2 * bytes) / 4, 0);
  std::memcpy(m.block.data(), &values, sizeof(GlassParams));
  std::copy(lights.begin(), lights.end(), glass_params(m)->lights);
  if (lights.empty()) glass_params(m)->lights[0] = 0;
  for (const ParamConnection &c : connections) m.block[(c.offset + bytes) / 4] = 1;
  m.connections = std::move(connections);
  return m;
}

} // namespace

GlassMaterial read_glass_material(const Node &node, const std::vector<Preset> &presets,
                                  const std::vector<Light> &lights) {
  if (!node.value.is_object()) fail(node, "an object");
  const Preset *preset = find_preset(presets, "clear");
  if (has(node, "preset")) {
    Node name = member(node, "preset");
    preset = find_preset(presets, read_string(name));
    if (preset == nullptr) {
      std::string names;
      for (const Preset &p : presets) names += (names.empty() ? "" : ", ") + p.name;
      fail(name, "one of the presets " + names);
    }
  }
  check_keys(
      node,
      [](std::string_view key) {
        return key == "type" || key == "preset" || key == "lights" ||
               find_glass_field(key) != nullptr;
      },
      "unknown key; expected \"type\", \"preset\", \"lights\" or a glass field");
  GlassParams values = preset ? preset->values : GlassParams{};
  std::vector<Tag> tags;
  std::vector<ParamConnection> connections;
  for (auto it = node.value.begin(); it != node.value.end(); ++it) {
    Node value{*it, member_path(node.path, it.key()), node.file};
    if (it.key() == "type" || it.key() == "preset") continue;
    if (it.key() == "lights") {
      tags = read_light_names(value, lights);
      continue;
    }
    const ParamField *field = find_glass_field(it.key()); // known: the keys were checked
    if (is_texture(value))
      connections.push_back({field->offset, field->type, read_texture(value, field->type)});
    else
      write_field_value(values, *field, value);
  }

  // The shader walks light_count lights from light_index, so both must stay
  // inside the list; a list without an explicit count is used whole.
  if (has(node, "lights") && !has(node, "light_count"))
    values.light_count = static_cast<int32_t>(tags.size());
  if (values.light_index < 0 || values.light_count < 0 ||
      static_cast<size_t>(values.light_index) + static_cast<size_t>(values.light_count) >
          tags.size()) {
    Node where = has(node, "light_count") ? member(node, "light_count") : node;
    fail_at(where, "light_index and light_count must select lights within \"lights\" (" +
                       std::to_string(tags.size()) + " listed)");
  }
  for (const ParamConnection &c : connections)
    if (c.offset == offsetof(GlassParams, light_index) ||
        c.offset == offsetof(GlassParams, light_count))
      fail_at(node, "light_index and light_count cannot be textured");
  return build_glass_block(values, tags, std::move(connections));
}

} // namespace vr
