// Scene files: JSON with camera, options, environment, lights and objects.
#ifndef VITREL_RENDER_SCENE_LOAD_SCENE_H
#define VITREL_RENDER_SCENE_LOAD_SCENE_H

#include <string>

#include "scene/scene.h"

namespace vr {

// Reads and validates a scene file; mesh and image paths are relative to the
// file's folder. Throws InputError naming the file, key path and expectation.
Scene load_scene_file(const std::string &path);

// The same from text; `file` names it in messages, `folder` anchors paths.
Scene load_scene_text(const std::string &text, const std::string &file, const std::string &folder);

// The scene built into the renderer.
Scene load_default_scene();

} // namespace vr

#endif
