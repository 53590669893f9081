// Glass materials: a preset, the fields the scene sets, textures connected
// to fields, and the shader's own light list, laid out as the module reads them.
#ifndef VITREL_RENDER_SCENE_GLASS_MATERIAL_H
#define VITREL_RENDER_SCENE_GLASS_MATERIAL_H

#include <vector>

#include "scene/json_read.h"
#include "scene/presets.h"
#include "scene/scene.h"

namespace vr {

// Reads {"type": "glass", "preset": name, "lights": [names], <field>: value}.
GlassMaterial read_glass_material(const Node &node, const std::vector<Preset> &presets,
                                  const std::vector<Light> &lights);

inline GlassParams *glass_params(GlassMaterial &m) {
  return reinterpret_cast<GlassParams *>(m.block.data());
}
inline const GlassParams *glass_params(const GlassMaterial &m) {
  return reinterpret_cast<const GlassParams *>(m.block.data());
}
// Bytes of the record with its further lights (the part before the flags).
size_t record_bytes(size_t light_count);

} // namespace vr

#endif
