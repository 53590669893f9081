// Lists of lights by name: the lights an object is lit by, and a glass
// material's own light list.
#ifndef VITREL_RENDER_SCENE_LIGHT_NAMES_H
#define VITREL_RENDER_SCENE_LIGHT_NAMES_H

#include <vector>

#include "scene/json_read.h"
#include "scene/scene.h"

namespace vr {

// An array of at most kMaxLights names, each of a light in `lights`, as
// their tags. Per-ray light lists are buffers of kMaxLights.
std::vector<Tag> read_light_names(const Node &node, const std::vector<Light> &lights);

} // namespace vr

#endif
