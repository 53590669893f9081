// Deep nesting and the worker threads' stacks: every thread that traces has
// the stack the depth limits are worked out from; one level of nesting costs
// no more stack than the figure they assume, on every path; the deepest paths
// the limits accept render without overflowing it; and deeper ones are
// refused with the reason.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/wait.h>

#include "core/error.h"
#include "photon/emission.h"
#include "photon/photon_pass.h"
#include "scene/stack_budget.h"
#include "test_scenes.h"

namespace vr {
namespace {

using test::make_scene;
using test::pixel;
using test::render_full;

// A glass sphere of diameter 1 made a mirror, seen from its centre through a
// narrow lens, with a point light at the centre: every camera ray and every
// photon goes back and forth through the centre, hitting the sphere again and
// again until the depth limit, each segment 1 long. No highlights: the light
// would add one at every level. `glass` adds fields to
// the glass material, `options` to the scene's options.
std::string mirror_sphere(const std::string &options, const std::string &glass) {
  return R"({"camera": {"position": [0, 0, 0], "target": [0, 0, -1], "fov": 0.01,
                        "resolution": [1, 1]},
      "options": {"samples": 1, "gather_rays": 0, )" +
         options + R"(},
      "environment": {"type": "constant", "color": [1, 1, 1]},
      "lights": [{"name": "centre", "type": "point", "position": [0, 0, 0], "intensity": 100}],
      "objects": [{"shape": "sphere", "radius": 0.5, "material": {"type": "glass",
          "reflection_boost": 1, "specular": 0, "samples": 1, "blur_depth": 1000000, "split_depth": 1000000, )" +
         glass + "}}]}";
}

// Concentric glass shells of index 1 around the camera, dispersive and a
// little blurred: the costliest shader path. A ray from the centre leaves
// every shell in turn, one level each, refracted only (index 1 reflects
// nothing).
std::string dispersive_shells(int shells) {
  std::string objects;
  for (int i = 1; i <= shells; ++i)
    objects += std::string(i > 1 ? ", " : "") + R"({"shape": "sphere", "radius": )" +
               std::to_string(i) + R"(, "material": {"type": "glass", "ior": 1, "blur": 0.001,
                 "dispersion": 0.05, "samples": 1, "blur_depth": 1000000,
                 "split_depth": 1000000}})";
  return R"({"camera": {"position": [0, 0, 0], "target": [0, 0, -1], "fov": 0.01,
                        "resolution": [1, 1]},
      "options": {"samples": 1, "gather_rays": 0, "caustic_photons": 0, "refraction_depth": )" +
         std::to_string(shells + 1) + R"(},
      "environment": {"type": "constant", "color": [1, 1, 1]}, "objects": [)" +
         objects + "]}";
}

constexpr unsigned char kPaint = 0x5a;

struct PaintedCall {
  const std::function<void()> *fn;
};

void *run_painted(void *arg) {
  (*static_cast<PaintedCall *>(arg)->fn)();
  return nullptr;
}

// The lowest byte of the mapping that no longer holds the paint. Read past
// the sanitiser: the thread that used this memory as its stack has ended.
__attribute__((no_sanitize("address"))) size_t first_touched(const unsigned char *p, size_t bytes) {
  size_t i = 0;
  while (i < bytes && p[i] == kPaint) ++i;
  return i;
}

// Runs fn on a thread whose stack is a fresh mapping of `bytes` painted
// with a pattern, and answers how much of it was written: the stack's deepest
// reach (plus the thread's own records, the same for every call).
size_t stack_reach(size_t bytes, const std::function<void()> &fn) {
  void *memory =
      mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (memory == MAP_FAILED) {
    ADD_FAILURE() << "cannot map a stack of " << bytes << " bytes";
    return 0;
  }
  std::memset(memory, kPaint, bytes);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstack(&attr, memory, bytes);
  PaintedCall call{&fn};
  pthread_t thread;
  const int code = pthread_create(&thread, &attr, run_painted, &call);
  pthread_attr_destroy(&attr);
  size_t reach = 0;
  if (code == 0) {
    pthread_join(thread, nullptr);
    reach = bytes - first_touched(static_cast<const unsigned char *>(memory), bytes);
  } else {
    ADD_FAILURE() << "cannot start a thread on a mapped stack: " << std::strerror(code);
  }
  munmap(memory, bytes);
  return reach;
}

constexpr size_t kProbeStack = size_t{8} << 20;
constexpr int kShallow = 40, kDeep = 120;

// Stack per level of a path: the reach of the same render `kDeep` and
// `kShallow` levels deep, apart, over the levels between.
size_t per_level(const std::function<std::string(int depth)> &scene_at,
                 const std::function<void(test::TestScene &)> &trace) {
  size_t reach[2];
  const int depths[2] = {kShallow, kDeep};
  for (int i = 0; i < 2; ++i) {
    auto t = make_scene(scene_at(depths[i]));
    reach[i] = stack_reach(kProbeStack, [&] { trace(*t); });
  }
  EXPECT_GT(reach[1], reach[0]);
  return (reach[1] - reach[0]) / (kDeep - kShallow);
}

void render_one_pixel(test::TestScene &t) { render_pixel(t.tc, 0, 0); }

void trace_one_photon(test::TestScene &t) {
  EmissionPlan plan = plan_emission(t.scene, 1);
  trace_photon(t.tc, plan, 0);
}

TEST(DeepStack, EveryPathCostsAtMostTheFigureTheLimitsAssume) {
  struct Path {
    const char *name;
    std::function<std::string(int)> scene;
    std::function<void(test::TestScene &)> trace;
  } paths[] = {
      {"mirror",
       [](int d) {
         return mirror_sphere(R"("caustic_photons": 0, "reflection_depth": )" + std::to_string(d) +
                                  R"(, "refraction_depth": 1)",
                              R"("blur": 0)");
       },
       render_one_pixel},
      {"frosted mirror",
       [](int d) {
         return mirror_sphere(R"("caustic_photons": 0, "reflection_depth": )" + std::to_string(d) +
                                  R"(, "refraction_depth": 1)",
                              R"("blur": 0.3)");
       },
       render_one_pixel},
      {"dispersed and frosted refraction", dispersive_shells, render_one_pixel},
      {"photon between mirrors",
       [](int d) {
         return mirror_sphere(R"("caustic_photons": 1, "photon_depth": )" + std::to_string(d),
                              R"("blur": 0)");
       },
       trace_one_photon},
  };
  for (const Path &p : paths) {
    const size_t bytes = per_level(p.scene, p.trace);
    std::printf("%s: %zu bytes of stack per level (module and renderer)\n", p.name, bytes);
    EXPECT_GT(bytes, 0u) << p.name;
    EXPECT_LE(bytes, kStackBytesPerLevel) << p.name;
  }
}

TEST(DeepStack, EveryThreadThatTracesHasTheWorkersStack) {
  auto t = make_scene(mirror_sphere(R"("caustic_photons": 0)", R"("blur": 0)"));
  std::mutex mutex;
  std::vector<size_t> sizes;
  for_each_block(
      t->rc, 2, 64,
      [&](ThreadContext &, int) {
        pthread_attr_t attr;
        size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
          pthread_attr_getstacksize(&attr, &size);
          pthread_attr_destroy(&attr);
        }
        std::lock_guard<std::mutex> lock(mutex);
        sizes.push_back(size);
      },
      [](const ThreadContext &) {});
  ASSERT_EQ(sizes.size(), 64u);
  for (size_t size : sizes) EXPECT_GE(size, kWorkerStackBytes);
}

// The inside absorption that halves the light over `segments` segments of
// length 1, written out in full.
std::string halving_per_segment(int segments) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", std::exp(std::log(0.5) / segments));
  return text;
}

TEST(DeepStack, TheDeepestAcceptedPathsRender) {
  // Reflections up to the limit, one refraction level (0 would shade nothing):
  // the camera ray's first hit and its reflections, each traced 1 and
  // absorbed inside the glass, until the last, which the limit declines and
  // which sees the environment unabsorbed.
  const int reflections = kMaxNestedLevels - 1;
  const std::string c = halving_per_segment(reflections - 1);
  auto mirror = make_scene(mirror_sphere(
      R"("caustic_photons": 0, "reflection_depth": )" + std::to_string(reflections) +
          R"(, "refraction_depth": 1)",
      R"("blur": 0, "inside_density": 1, "inside_color": [)" + c + ", " + c + ", 1]"));
  Colour seen = pixel(render_full(*mirror, 2), 0, 0);
  // The module holds the colour in single precision.
  const double expected = std::pow(double(std::stof(c)), reflections - 1);
  EXPECT_NEAR(seen.r, expected, 2e-3);
  EXPECT_NEAR(seen.g, expected, 2e-3);
  EXPECT_NEAR(seen.b, 1, 1e-4);

  // Frosted, the costlier path: a full mirror in a white world stays white.
  auto frosted =
      make_scene(mirror_sphere(R"("caustic_photons": 0, "reflection_depth": )" +
                                   std::to_string(reflections) + R"(, "refraction_depth": 1)",
                               R"("blur": 0.3)"));
  seen = pixel(render_full(*frosted, 2), 0, 0);
  EXPECT_NEAR(seen.r, 1, 1e-4);
  EXPECT_NEAR(seen.b, 1, 1e-4);

  // Photons bouncing inside the mirror up to the most bounces accepted: each
  // photon segment is one ray, the first from the light included.
  auto photons = make_scene(mirror_sphere(R"("caustic_photons": 4, "photon_depth": )" +
                                              std::to_string(kMaxNestedLevels - 1),
                                          R"("blur": 0)"));
  EmissionPlan plan = plan_emission(photons->scene, 4);
  PhotonPass pass = run_photon_pass(photons->rc, plan, 2, nullptr);
  EXPECT_EQ(pass.emitted, 4u);
  EXPECT_EQ(pass.rays, 4u * static_cast<uint64_t>(kMaxNestedLevels));
}

std::string depth_error(const std::string &options) {
  try {
    load_scene_text(R"({"options": {)" + options + "}}", "deep.json", VR_TEST_DATA);
  } catch (const InputError &e) {
    return e.what();
  }
  return "no error";
}

TEST(DeepStack, DepthsBeyondTheStackAreRefusedWithTheReason) {
  const std::string L = std::to_string(kMaxNestedLevels);
  const std::string reason = "the worker threads' " + std::to_string(kWorkerStackBytes >> 20) +
                             " MiB stacks hold " + L + " levels of nested rays at " +
                             std::to_string(kStackBytesPerLevel) + " bytes a level";
  EXPECT_EQ(depth_error(R"("reflection_depth": 4, "refraction_depth": )" +
                        std::to_string(kMaxNestedLevels - 3)),
            "deep.json: options.refraction_depth: expected at most " +
                std::to_string(kMaxNestedLevels - 4) +
                " with reflection_depth 4 (reflections and refractions nest together, and " +
                reason + "), got " + std::to_string(kMaxNestedLevels - 3));
  // The default refraction depth (8) counts too.
  EXPECT_EQ(depth_error(R"("reflection_depth": )" + L),
            "deep.json: options.reflection_depth: expected at most " +
                std::to_string(kMaxNestedLevels - 8) +
                " with refraction_depth 8 (reflections and refractions nest together, and " +
                reason + "), got " + L);
  EXPECT_EQ(depth_error(R"("reflection_depth": )" + std::to_string(kMaxNestedLevels + 1)),
            "deep.json: options.reflection_depth: expected at most " + L + " (" + reason +
                "), got " + std::to_string(kMaxNestedLevels + 1));
  EXPECT_EQ(depth_error(R"("photon_depth": )" + L),
            "deep.json: options.photon_depth: expected at most " +
                std::to_string(kMaxNestedLevels - 1) + " (" + reason + "), got " + L);
  EXPECT_EQ(depth_error(R"("photon_depth": -1)"),
            "deep.json: options.photon_depth: expected an integer from 0 to " +
                std::to_string(kMaxNestedLevels - 1) + ", got -1");
  // Right at the limits, accepted.
  EXPECT_EQ(depth_error(R"("reflection_depth": 1, "refraction_depth": )" +
                        std::to_string(kMaxNestedLevels - 1) + R"(, "photon_depth": )" +
                        std::to_string(kMaxNestedLevels - 1)),
            "no error");

  // The command line refuses it as bad scene input and writes nothing.
  const std::string scene = test::temp_path("too_deep.json"), out = test::temp_path("too_deep.png");
  std::ofstream(scene) << R"({"options": {"photon_depth": )" << kMaxNestedLevels << "}}";
  const std::string command = std::string(VR_RENDER_EXE) + " -q " + scene + " -o " + out + " 2>" +
                              test::temp_path("too_deep.err");
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_FALSE(test::file_exists(out));
  std::ifstream err(test::temp_path("too_deep.err"));
  std::string line;
  std::getline(err, line);
  EXPECT_EQ(line, "vitrel-render: " + scene + ": options.photon_depth: expected at most " +
                      std::to_string(kMaxNestedLevels - 1) + " (" + reason + "), got " + L);
}

} // namespace
} // namespace vr
