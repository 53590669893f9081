// What a loaded scene must hold before the renderer takes it: every number
// finite, every size and index consistent, every limit kept.
#ifndef VITREL_RENDER_TESTS_FUZZ_SCENE_CHECK_H
#define VITREL_RENDER_TESTS_FUZZ_SCENE_CHECK_H

#include <string>

#include "scene/scene.h"

namespace vr::fuzz {

// Empty when the scene is sound; otherwise the first thing wrong with it.
std::string scene_fault(const Scene &scene);

} // namespace vr::fuzz

#endif
