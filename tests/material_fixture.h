// A clear-glass scene for the material shader, shaded through the real module
// boundary: a camera ray hits the front of glass of index 1.5 in air; the
// renderer finds a refraction direction, answers `fresnel`, and every trace
// hits and brings back `reflected` or `refracted` from its distance.
#ifndef VITREL_TESTS_MATERIAL_FIXTURE_H
#define VITREL_TESTS_MATERIAL_FIXTURE_H

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/scripted_host.h"

namespace material {

using testhost::host;
using testhost::module;

inline std::string field_name(const GlassParams &params, const void *field) {
  const size_t offset = static_cast<size_t>(static_cast<const char *>(field) -
                                            reinterpret_cast<const char *>(&params));
#define MATERIAL_FIELD_NAME(type, name)                                                            \
  if (offset == offsetof(GlassParams, name)) return #name;
  VITREL_GLASS_PARAMS(MATERIAL_FIELD_NAME)
#undef MATERIAL_FIELD_NAME
  if (offset == offsetof(GlassParams, lights)) return "lights";
  return "outside the record";
}

class GlassTest : public ::testing::Test {
protected:
  void SetUp() override {
    host().reset();
    testhost::rebind_to_self();
    sb.state.child = &child;
    p.split_depth = 10;
    p.blur_depth = 10;
    testhost::ScriptedHost &h = host();
    h.mi_phen_eval = [this](HostState *, void *field) {
      reads.push_back(field_name(p, field));
      return field;
    };
    h.mi_refraction_dir = [this](Vector *out, HostState *, float in, float out_index) {
      index_pairs.emplace_back(in, out_index);
      *out = {0.0f, 0.0f, -1.0f};
      return refraction_ok(in, out_index) ? 1 : 0;
    };
    h.mi_fresnel_reflection = [this](HostState *, float, float) { return fresnel; };
    h.mi_reflection_dir = [](Vector *out, HostState *) { *out = {0.0f, 0.0f, 1.0f}; };
    h.mi_trace_reflection = [this](Colour *c, HostState *s, Vector *dir) {
      return trace(c, s, dir, reflected, reflect_distance);
    };
    h.mi_trace_refraction = [this](Colour *c, HostState *s, Vector *dir) {
      return trace(c, s, dir, refracted, refract_distance);
    };
    h.mi_trace_environment = [this](Colour *c, HostState *, Vector *) {
      *c = environment;
      return 1;
    };
  }

  int trace(Colour *c, HostState *s, Vector *dir, const Colour &colour, double distance) {
    directions.push_back(*dir);
    *c = colour;
    if (s->child != nullptr) s->child->hit_distance = distance;
    return 1;
  }

  int shade() { return module().shade(&result, &sb.state, &p); }

  // Every field connected, so that each read shows in `reads`.
  void connect_all() {
    sb.connect_interface(block);
#define MATERIAL_CONNECT(type, name) block.connect(&p.name);
    VITREL_GLASS_PARAMS(MATERIAL_CONNECT)
#undef MATERIAL_CONNECT
    block.connect(&p.lights);
  }

  // The renderer's calls in order, each parameter evaluation named after its field.
  std::vector<std::string> sequence() const {
    std::vector<std::string> out;
    size_t next_read = 0;
    for (const std::string &call : host().calls)
      out.push_back(call == "mi_phen_eval" ? reads.at(next_read++) : call);
    return out;
  }

  std::vector<std::string> calls_except_reads() const {
    std::vector<std::string> out;
    for (const std::string &call : host().calls)
      if (call != "mi_phen_eval") out.push_back(call);
    return out;
  }

  // The renderer's sampler hands out these values, one tuple per sample,
  // within the budget.
  void script_samples(std::vector<std::array<double, 3>> values) {
    host().mi_sample = [this, values](double *v, int *count, HostState *, int dimension, int *n) {
      dimensions.push_back(dimension);
      if (*count >= *n || *count >= static_cast<int>(values.size())) return 0;
      for (int i = 0; i < dimension; ++i) v[i] = values[*count][i];
      ++*count;
      return 1;
    };
  }

  testhost::ParamBlock block;
  GlassParams &p = block.params;
  testhost::StateBlock sb;
  HostState child{};
  Colour result{9.0f, 9.0f, 9.0f, 9.0f};

  float fresnel = 0.04f;
  std::function<bool(float, float)> refraction_ok = [](float, float) { return true; };
  Colour reflected{1.0f, 1.0f, 1.0f, 1.0f}, refracted{1.0f, 1.0f, 1.0f, 1.0f};
  Colour environment{0.5f, 0.5f, 0.5f, 1.0f};
  double reflect_distance = 0.0, refract_distance = 0.0; // 0: nothing absorbed

  std::vector<std::string> reads;
  std::vector<std::pair<float, float>> index_pairs;
  std::vector<Vector> directions;
  std::vector<int> dimensions;
};

// (1 / 1.5)^2 and 1.5^2: the radiance scale of a ray entering and leaving the glass.
constexpr double kEntering = 1.0 / 2.25, kLeaving = 2.25;

} // namespace material

#endif
