// Glass inside glass, a thousand levels deep. Every trace the material shader
// makes shades its hit with `vitrel` again, on the same thread and before the
// trace returns, as a renderer does: the chain of nested glass lives on the
// thread's stack. The chain runs on a thread whose stack is sized from what
// one level costs in this very build (the module's frames and the host's,
// measured on a short chain first) plus a margin, so the test holds for
// optimised and sanitised builds alike and fails if a level starts to cost
// more at depth than near the top.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/platform.h"
#include "host/scripted_host.h"

namespace {

using testhost::host;
using testhost::module;

constexpr int kLevels = 1000;
constexpr int32_t kReflect = 2; // the renderer's reflection ray type

// The short chain the cost of a level is read from, and the levels compared:
// away from its top and its bottom, whose frames differ from the rest.
constexpr int kProbeLevels = 12, kProbeFrom = 2, kProbeTo = 10;

// What the deep thread's stack holds beyond the measured levels: the thread's
// own start, the deepest trace's answer (which records the call and may
// allocate), and a quarter more per level than measured.
constexpr size_t kFixedStack = 256 * 1024;
constexpr double kLevelMargin = 1.25;

enum class Path { refraction, reflection, frosted_refraction, frosted_reflection, dispersion };

const char *path_name(Path p) {
  switch (p) {
  case Path::refraction:
    return "refraction";
  case Path::reflection:
    return "reflection";
  case Path::frosted_refraction:
    return "frosted_refraction";
  case Path::frosted_reflection:
    return "frosted_reflection";
  case Path::dispersion:
    return "dispersion";
  }
  return "?";
}

bool reflects(Path p) { return p == Path::reflection || p == Path::frosted_reflection; }

// Every glass segment is 1 long; absorption of 0.999 and 0.998 per unit in
// red and green (none in blue) shows in the result how many segments ran
// through the absorbing medium.
const Colour kAbsorbing{0.999f, 0.998f, 1.0f, 1.0f};
const Colour kLeaf{0.25f, 0.5f, 0.75f, 1.0f};

class DeepGlass : public ::testing::TestWithParam<Path> {
protected:
  void SetUp() override {
    host().reset();
    testhost::rebind_to_self();
    const Path path = GetParam();
    GlassParams &p = block.params;
    p.split_depth = p.blur_depth = 2 * kLevels; // both rays, and sampling, at every depth
    p.samples = 1;
    if (reflects(path)) {
      // A mirror in an absorbing outside medium: each reflection runs outside.
      p.reflection_boost = 1.0f;
      p.outside_medium = 1;
      p.outside_color = kAbsorbing;
      p.outside_density = 1.0f;
    } else {
      // Clear glass in air, entered and left in turn: every other segment
      // runs inside.
      p.inside_color = kAbsorbing;
      p.inside_density = 1.0f;
      fresnel = 0.0f;
    }
    if (path == Path::frosted_refraction || path == Path::frosted_reflection) p.blur = 0.3f;
    if (path == Path::dispersion) {
      p.blur = 0.3f;
      p.dispersion = 0.05f;
      p.spectrum_weight = 0.0f; // colourless, so the expected colour stays simple
    }
    options.reflection_depth_limit = options.refraction_depth_limit = kLevels;

    testhost::ScriptedHost &h = host();
    h.mi_fresnel_reflection = [this](HostState *, float, float) { return fresnel; };
    h.mi_reflection_dir = [](Vector *out, HostState *) { *out = {0.0f, 0.0f, 1.0f}; };
    h.mi_refraction_dir = [](Vector *out, HostState *, float, float) {
      *out = {0.0f, 0.0f, -1.0f};
      return 1;
    };
    // One sample per lookup, from the middle of the range: the dispersed
    // index is then the glass's own.
    h.mi_sample = [](double *v, int *count, HostState *, int dimension, int *budget) {
      if (*count >= *budget) return 0;
      for (int i = 0; i < dimension; ++i) v[i] = 0.5;
      ++*count;
      return 1;
    };
    h.mi_trace_reflection = [this](Colour *c, HostState *s, Vector *) {
      return descend(c, s, kReflect);
    };
    h.mi_trace_refraction = [this](Colour *c, HostState *s, Vector *) {
      return descend(c, s, VITREL_RAY_REFRACT);
    };
  }

  // The renderer's trace: the child is the next glass surface, 1 further on,
  // shaded at once; below the last level lies a surface of colour kLeaf.
  int descend(Colour *c, HostState *parent, int32_t ray_type) {
    const int level = static_cast<int>(parent - states.data()) + 1;
    frame_at[static_cast<size_t>(level)] = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    ++traces;
    HostState *child = &states[static_cast<size_t>(level)];
    parent->child = child;
    child->hit_distance = 1.0;
    if (level == levels) {
      *c = kLeaf;
      return 1;
    }
    child->ray_type = ray_type;
    child->parent = parent;
    child->reflection_level = parent->reflection_level + (ray_type == kReflect);
    child->refraction_level = parent->refraction_level + (ray_type == VITREL_RAY_REFRACT);
    // A refracted chain enters and leaves the glass in turn; a mirror chain
    // meets every surface from the front.
    child->inverted_normal = ray_type == VITREL_RAY_REFRACT ? (level % 2 != 0) : 0;
    return module().shade(c, child, &block.params);
  }

  // Shades the top of a chain `depth` levels deep; the frames and the answer
  // are read back from the members.
  void run_chain(int depth) {
    levels = depth;
    traces = 0;
    frame_at.assign(static_cast<size_t>(depth) + 1, 0);
    states.assign(static_cast<size_t>(depth) + 1, testhost::camera_ray(&shader, &camera, &options));
    result = {9.0f, 9.0f, 9.0f, 9.0f};
    returned = module().shade(&result, &states[0], &block.params);
  }

  static void run_deep(void *self) { static_cast<DeepGlass *>(self)->run_chain(kLevels); }

  // Bytes of stack between a level's trace and the next one's, on a short chain.
  size_t bytes_per_level() {
    run_chain(kProbeLevels);
    const uintptr_t from = frame_at[kProbeFrom], to = frame_at[kProbeTo];
    const uintptr_t span = from > to ? from - to : to - from; // the stack may grow either way
    return static_cast<size_t>(span) / (kProbeTo - kProbeFrom);
  }

  // The colour a chain of kLevels gives: a mirror chain absorbs over every
  // segment; a refracted chain over the ones inside the glass (half of them),
  // and its index ratios, 1/1.5 squared going in and 1.5 squared coming out,
  // cancel in pairs.
  double expected(float absorbing, float leaf) const {
    const int absorbed = reflects(GetParam()) ? kLevels : kLevels / 2;
    return leaf * std::pow(double(absorbing), absorbed);
  }

  testhost::ParamBlock block;
  HostShader shader{};
  HostCamera camera{};
  HostOptions options{};
  float fresnel = 1.0f;

  int levels = 0;
  std::vector<HostState> states;
  std::vector<uintptr_t> frame_at; // frame of the trace into each level
  int traces = 0;
  Colour result{};
  int returned = 0;
};

TEST_P(DeepGlass, ThousandLevelsOnAStackSizedFromTheirMeasuredCost) {
  const size_t per_level = bytes_per_level();
  ASSERT_EQ(returned, 1);
  ASSERT_GT(per_level, 0u);
  const size_t stack =
      kFixedStack + static_cast<size_t>(kLevelMargin * double(per_level) * kLevels);
  std::printf("%s: %zu bytes of stack per level (module and host), thread stack %zu bytes\n",
              path_name(GetParam()), per_level, stack);
  RecordProperty("bytes_per_level", std::to_string(per_level));

  host().calls.clear();
  std::string error;
  ASSERT_TRUE(testhost::run_with_stack(stack, &DeepGlass::run_deep, this, &error)) << error;

  EXPECT_EQ(returned, 1);
  EXPECT_EQ(traces, kLevels) << "each level traces one ray, and the last one reaches the leaf";
  EXPECT_EQ(host().count("mi_trace_environment"), 0u);
  const double tolerance = 1e-4; // relative: one segment more or less absorbed is 1e-3
  EXPECT_NEAR(result.r, expected(kAbsorbing.r, kLeaf.r), tolerance * kLeaf.r);
  EXPECT_NEAR(result.g, expected(kAbsorbing.g, kLeaf.g), tolerance * kLeaf.g);
  EXPECT_NEAR(result.b, expected(kAbsorbing.b, kLeaf.b), tolerance * kLeaf.b);

  // The deep chain costs per level what the short one did: nothing grows
  // with depth, so the stack sized above holds.
  const uintptr_t top = frame_at[kProbeFrom], bottom = frame_at[kLevels];
  const double deep_per_level =
      double(top > bottom ? top - bottom : bottom - top) / (kLevels - kProbeFrom);
  EXPECT_NEAR(deep_per_level, double(per_level), 0.01 * double(per_level));
}

INSTANTIATE_TEST_SUITE_P(EveryTracePath, DeepGlass,
                         ::testing::Values(Path::refraction, Path::reflection,
                                           Path::frosted_refraction, Path::frosted_reflection,
                                           Path::dispersion),
                         [](const ::testing::TestParamInfo<Path> &info) {
                           return std::string(path_name(info.param));
                         });

} // namespace
