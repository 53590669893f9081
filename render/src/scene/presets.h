// Named glass presets: complete GlassParams records that a material starts
// from before its own fields are applied. They live in one data file,
// render/presets.json, built into the renderer.
#ifndef VITREL_RENDER_SCENE_PRESETS_H
#define VITREL_RENDER_SCENE_PRESETS_H

#include <string>
#include <vector>

#include "scene/scene.h"

namespace vr {

struct Preset {
  std::string name;
  GlassParams values; // `lights` is not part of a preset
};

// Parses a presets file: {"defaults": {every field}, "presets": {name: {fields}}}.
std::vector<Preset> parse_presets(const std::string &text, const std::string &file);

// The presets built into the renderer.
const std::vector<Preset> &builtin_presets();

const Preset *find_preset(const std::vector<Preset> &presets, const std::string &name);

} // namespace vr

#endif
