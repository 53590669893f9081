// Small scenes rendered in-process with the real module, for the tests.
#ifndef VITREL_RENDER_TESTS_TEST_SCENES_H
#define VITREL_RENDER_TESTS_TEST_SCENES_H

#include <memory>
#include <string>
#include <vector>

#include "image/framebuffer.h"
#include "render/render.h"
#include "scene/load_scene.h"
#include "shading/render_state.h"

namespace vr::test {

// The module under test, loaded once, bound to this test program.
const ShaderModule &module();

// A scene from JSON text, with its BVH, render context and one thread's
// storage, ready to render or to probe.
struct TestScene {
  Scene scene;
  Accel accel;
  RenderContext rc;
  ThreadContext tc;
};
std::unique_ptr<TestScene> make_scene(const std::string &json, bool single_path = false);

// A tinted ball and a crystal on a floor under a point light, 24 x 14 pixels,
// seen directly and through each other: caustics that differ from pixel to
// pixel, of every kind. `options` is the scene's options object.
std::string ball_and_crystal(const std::string &options);

Framebuffer render_full(TestScene &t, int threads = 1);
// r, g, b, a of pixel (x, y).
Colour pixel(const Framebuffer &fb, int x, int y);
// Every pixel of the crop `piece` has the same bytes as in `full`.
void expect_same_pixels(const Framebuffer &piece, const Framebuffer &full);

// The root state of a primary ray from origin along dir; fails the test on a miss.
RenderState &probe(TestScene &t, V3 origin, V3 dir);

// The command line run in this process, with the module under test (unless
// the arguments name another): its exit code, and what it writes on standard
// output and standard error (not a terminal, so no progress bar).
struct Outcome {
  int code = -1;
  std::string out, err;
};
Outcome run(std::vector<std::string> args);

std::string temp_path(const std::string &name);
bool file_exists(const std::string &path);

} // namespace vr::test

#endif
