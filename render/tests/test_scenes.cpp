#include "test_scenes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/cli.h"
#include "shading/tracer.h"

namespace vr::test {

const ShaderModule &module() {
  static const ShaderModule m = load_module(VITREL_MODULE_PATH);
  return m;
}

std::string ball_and_crystal(const std::string &options) {
  return R"({"camera": {"position": [0, 2.5, 4], "target": [0, 0.3, 0], "resolution": [24, 14]},
      "options": )" +
         options + R"(,
      "environment": {"type": "constant", "color": [0.1, 0.1, 0.1]},
      "lights": [{"type": "point", "position": [-2, 4, 1], "intensity": 60}],
      "objects": [{"shape": "quad", "size": [10, 10]},
                  {"shape": "sphere", "radius": 0.5, "transform": {"translate": [-0.6, 0.5, 0]},
                   "material": {"type": "glass", "preset": "tinted"}},
                  {"shape": "box", "size": [0.4, 1, 0.4], "transform": {"translate": [0.7, 0.5, 0]},
                   "material": {"type": "glass", "preset": "crystal"}}]})";
}

std::unique_ptr<TestScene> make_scene(const std::string &json, bool single_path) {
  auto t = std::make_unique<TestScene>();
  t->scene = load_scene_text(json, "test.json", VR_TEST_DATA);
  build_accel(shapes_of(t->scene), &t->accel);
  make_render_context(t->scene, t->accel, module(), single_path, &t->rc);
  init_thread_context(t->rc, &t->tc);
  return t;
}

Framebuffer render_full(TestScene &t, int threads) {
  RenderSettings settings;
  settings.threads = threads;
  settings.region = {0, 0, t.scene.camera.width, t.scene.camera.height};
  return render_image(t.rc, settings, nullptr);
}

Colour pixel(const Framebuffer &fb, int x, int y) {
  const float *p =
      &fb.rgba[(static_cast<size_t>(y - fb.region.y0) * fb.region.width() + (x - fb.region.x0)) *
               4];
  return {p[0], p[1], p[2], p[3]};
}

void expect_same_pixels(const Framebuffer &piece, const Framebuffer &full) {
  const Region &r = piece.region;
  for (int y = r.y0; y < r.y1; ++y)
    for (int x = r.x0; x < r.x1; ++x) {
      Colour a = pixel(piece, x, y), b = pixel(full, x, y);
      ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << x << ", " << y;
    }
}

RenderState &probe(TestScene &t, V3 origin, V3 dir) {
  RenderState *s = open_root_hit(t.tc, origin, normalize(dir), 12345);
  if (s == nullptr) {
    ADD_FAILURE() << "the probe ray hit nothing";
    return t.tc.arena[0];
  }
  return *s;
}

namespace {

// One folder per test run, removed with everything in it when the run ends.
struct TempFolder {
  std::string path;
  TempFolder() {
    char tmpl[] = "/tmp/vitrel-render-test-XXXXXX";
    const char *made = mkdtemp(tmpl);
    path = made ? made : "";
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

} // namespace

Outcome run(std::vector<std::string> args) {
  if (std::find(args.begin(), args.end(), "--module") == args.end())
    args.insert(args.end(), {"--module", VITREL_MODULE_PATH});
  args.insert(args.begin(), "vitrel-render");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  Outcome o;
  o.code = run_cli(static_cast<int>(argv.size()), argv.data());
  o.err = testing::internal::GetCapturedStderr();
  o.out = testing::internal::GetCapturedStdout();
  return o;
}

std::string temp_path(const std::string &name) {
  static const TempFolder folder;
  return (folder.path.empty() ? std::string("/tmp") : folder.path) + "/" + name;
}

bool file_exists(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

} // namespace vr::test
