// A photon hitting the glass through the real module boundary. Every
// parameter is connected, so each read shows up as an event "param:<field>"
// among the host operations, in the order the module made them.
#ifndef VITREL_TESTS_PHOTON_FIXTURE_H
#define VITREL_TESTS_PHOTON_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "host/scripted_host.h"

namespace phototest {

using testhost::host;

// The base directions the scripted renderer hands out.
constexpr Vector kMirror{0.0f, 0.0f, 1.0f};
constexpr Vector kRefracted{0.0f, 0.6f, -0.8f};
constexpr Vector kDiffuseUp{0.6f, 0.0f, 0.8f};
constexpr Vector kDiffuseDown{0.6f, 0.0f, -0.8f};

struct Rgb {
  float r, g, b;
};

inline void expect_rgb(const Colour &c, Rgb e) {
  EXPECT_FLOAT_EQ(c.r, e.r);
  EXPECT_FLOAT_EQ(c.g, e.g);
  EXPECT_FLOAT_EQ(c.b, e.b);
}

inline bool same(const Vector &a, const Vector &b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The renderer's answers for one call, and what the module handed it.
struct Exchange {
  float fresnel = 0.2f;
  int scatter_type = 13;
  int continuation_answer = 1;
  double sample_1d = 0.375; // spectral weights (2, 2, 0)
  std::array<double, 2> sample_2d{0.25, 0.75};
  bool host_writes = true; // false: mi_sample and the direction operations write nothing
  std::function<void(Colour *chosen)> rewrite_chosen;

  std::vector<std::string> reads;
  float fresnel_ior_in = 0, fresnel_ior_out = 0;
  Colour *offered[4] = {};
  Colour offers[4] = {};
  std::vector<int> sample_dimensions;
  float transmit_ior_in = 0, transmit_ior_out = 0;
  Colour emitted_energy{-1, -1, -1, -1};
  Vector emitted_direction{-1, -1, -1};
};

class Photon : public ::testing::Test, protected Exchange {
protected:
  // Also starts each case of a table afresh.
  void SetUp() override {
    static_cast<Exchange &>(*this) = Exchange{};
    host().reset();
    testhost::rebind_to_self();
    block = testhost::ParamBlock();
#define CONNECT(type, name) block.connect(&block.params.name);
    VITREL_GLASS_PARAMS(CONNECT)
#undef CONNECT
    sb.connect_interface(block);
    GlassParams &p = block.params;
    p.photon_specular_color = p.photon_diffuse_color = {1.0f, 1.0f, 1.0f, 1.0f};
    p.inside_color = p.outside_color = {1.0f, 1.0f, 1.0f, 1.0f};
    energy = {2.0f, 4.0f, 8.0f, 0.75f};
    sb.state.ray_type = parent.ray_type = VITREL_RAY_PHOTON_TRANSMIT_SPECULAR;
    sb.state.parent = &parent;
    sb.state.inverted_normal = 0;
    sb.state.hit_distance = 2.0;
    script(host());
  }

  int shade() { return testhost::module().shade_photon(&energy, &sb.state, &block.params); }

  // Host operations by name, with each mi_phen_eval named by its field.
  std::vector<std::string> events() const {
    std::vector<std::string> out;
    size_t read = 0;
    for (const std::string &c : host().calls)
      out.push_back(c == "mi_phen_eval" ? "param:" + reads.at(read++) : c);
    return out;
  }
  size_t count_reads(const std::string &field) const {
    return std::count(reads.begin(), reads.end(), field);
  }

  testhost::ParamBlock block;
  testhost::StateBlock sb;
  HostState parent{};
  Colour energy{};

private:
  void script(testhost::ScriptedHost &h) {
    h.mi_phen_eval = [this](HostState *, void *field) {
      reads.push_back(field_name(field));
      return field;
    };
    h.mi_fresnel_reflection = [this](HostState *, float in, float out) {
      fresnel_ior_in = in;
      fresnel_ior_out = out;
      return fresnel;
    };
    h.mi_choose_simple_scatter_type = [this](HostState *, Colour *dr, Colour *sr, Colour *dt,
                                             Colour *st) {
      Colour *given[4] = {dr, sr, dt, st};
      for (int i = 0; i < 4; ++i)
        if ((offered[i] = given[i]) != nullptr) offers[i] = *given[i];
      const int index = scatter_type == 12   ? 0
                        : scatter_type == 10 ? 1
                        : scatter_type == 15 ? 2
                                             : 3;
      if (rewrite_chosen && given[index] != nullptr) rewrite_chosen(given[index]);
      return scatter_type;
    };
    h.mi_sample = [this](double *values, int *count, HostState *, int dimension, int *n) {
      EXPECT_TRUE(count == nullptr && n == nullptr);
      sample_dimensions.push_back(dimension);
      if (host_writes && dimension == 1) values[0] = sample_1d;
      if (host_writes && dimension == 2) std::copy(sample_2d.begin(), sample_2d.end(), values);
      return 1;
    };
    auto direction = [this](Vector v) {
      return [this, v](Vector *out, HostState *) {
        if (host_writes) *out = v;
      };
    };
    h.mi_reflection_dir_specular = direction(kMirror);
    h.mi_reflection_dir_diffuse = direction(kDiffuseUp);
    h.mi_transmission_dir_diffuse = direction(kDiffuseDown);
    h.mi_transmission_dir_specular = [this](Vector *out, HostState *, float in, float out_ior) {
      transmit_ior_in = in;
      transmit_ior_out = out_ior;
      if (host_writes) *out = kRefracted;
      return 1;
    };
    auto emit = [this](Colour *e, HostState *, Vector *dir) {
      emitted_energy = *e;
      emitted_direction = *dir;
      return continuation_answer;
    };
    h.mi_photon_reflection_specular = h.mi_photon_reflection_diffuse = emit;
    h.mi_photon_transmission_specular = h.mi_photon_transmission_diffuse = emit;
  }

  std::string field_name(const void *field) const {
#define NAME_OF(type, name)                                                                        \
  if (field == &block.params.name) return #name;
    VITREL_GLASS_PARAMS(NAME_OF)
#undef NAME_OF
    return "?";
  }
};

} // namespace phototest

#endif
