// How deep a scene may nest its rays. Every reflection, refraction and photon
// bounce shades its hit before its trace returns, so the levels of one path
// pile up on the stack of the worker thread that follows it. The renderer
// gives its worker threads stacks of a fixed size and refuses depth options
// whose deepest path would not fit.
#ifndef VITREL_RENDER_SCENE_STACK_BUDGET_H
#define VITREL_RENDER_SCENE_STACK_BUDGET_H

#include <cstddef>
#include <string>

namespace vr {

// The stack of every thread that traces rays or photons (oneTBB's workers and
// the thread that hands them the work).
constexpr size_t kWorkerStackBytes = size_t{16} << 20;

// The most stack one level of nesting takes: the shader's frame in the module
// and the renderer's trace that shades the next hit. render_tests (DeepStack)
// measures every path and holds each to this figure; the costliest took 976
// bytes optimised (a dispersed, blurred refraction) and 2,160 under
// AddressSanitizer (a blurred reflection), whose padded frames get their own
// figure. The margin covers other compilers' and options' frames.
#if defined(__SANITIZE_ADDRESS__)
#define VR_STACK_SANITISED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VR_STACK_SANITISED 1
#endif
#endif
#if defined(VR_STACK_SANITISED)
constexpr size_t kStackBytesPerLevel = 3072;
#else
constexpr size_t kStackBytesPerLevel = 1536;
#endif

// Kept free below the deepest level for the work of its hit: Embree's
// traversal, the lights, the gather rays and their hits, the photon map's
// search, the store of a photon.
constexpr size_t kLeafStackBytes = size_t{1} << 20;

// Levels of nesting a worker's stack holds: the sum of reflection_depth and
// refraction_depth for rays, photon_depth + 1 for photons.
constexpr int kMaxNestedLevels =
    static_cast<int>((kWorkerStackBytes - kLeafStackBytes) / kStackBytesPerLevel);

// Why the limit is what it is, for the message that refuses a depth.
inline std::string stack_budget_reason() {
  return "the worker threads' " + std::to_string(kWorkerStackBytes >> 20) + " MiB stacks hold " +
         std::to_string(kMaxNestedLevels) + " levels of nested rays at " +
         std::to_string(kStackBytesPerLevel) + " bytes a level";
}

} // namespace vr

#endif
