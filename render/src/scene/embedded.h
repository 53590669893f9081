// Data files built into the renderer, so that it runs from its build folder
// alone: the glass presets and the default scene.
#ifndef VITREL_RENDER_SCENE_EMBEDDED_H
#define VITREL_RENDER_SCENE_EMBEDDED_H

#include <string>

namespace vr {

const std::string &embedded_presets();
const std::string &embedded_default_scene();

} // namespace vr

#endif
