// Writes the module fuzzer's seed corpus: the situations the shader tests
// script by hand (clear glass entered and left, an opaque layer lit by a
// light, frosted and dispersive glass, falloff and the renderer's choice at
// depth, declined rays, photons reflected, transmitted, dispersed and stored),
// each with a host script that answers the operations in the order the
// shaders call them. The fuzzer mutates from there.
//
//   seed_writer DIR   writes DIR/<case> for every case
#include <cstdio>
#include <string>

#include "fuzz/fuzz_case.h"

namespace {

using fuzz::Writer;

GlassParams clear_glass() {
  GlassParams p{};
  p.inside_color = p.outside_color = {1.0f, 1.0f, 1.0f, 1.0f};
  p.ior = 1.5f;
  p.outside_ior = 1.0f;
  p.inside_density = p.outside_density = 1.0f;
  p.specular = 1.0f;
  p.specular_exponent = 20.0f;
  p.falloff_stop = 100.0f;
  p.split_depth = 10;
  p.blur_depth = 10;
  p.front_color = p.back_color = {0.8f, 0.2f, 0.1f, 1.0f};
  p.irradiance_color = {1.0f, 1.0f, 1.0f, 1.0f};
  p.spectrum_weight = 1.0f;
  p.photon_diffuse_color = p.photon_specular_color = {1.0f, 1.0f, 1.0f, 1.0f};
  p.photon_ior = 1.5f;
  p.photon_outside_ior = 1.0f;
  p.lights[0] = 7;
  return p;
}

HostState camera_ray() {
  static HostOptions options{8, 8};
  HostState s{};
  s.direction = {0.0f, 0.0f, -1.0f};
  s.normal = {0.0f, 0.0f, 1.0f};
  s.dot_nd = -1.0f;
  s.volume = 3;
  s.hit_distance = 4.0;
  s.options = &options;
  return s;
}

// Host answers, in the encoding the fuzz host reads them.
void direction(Writer &w, Vector v) {
  w.byte(1);
  w.vector(v);
}
void trace_hit(Writer &w, Colour c) {
  w.byte(1); // hit, first child
  w.colour(c);
}
void sampler(Writer &w, int samples) { w.byte(static_cast<uint8_t>(samples)); }
void sample_values(Writer &w, double a, double b, double c, int dimension) {
  w.wide(a);
  if (dimension > 1) w.wide(b);
  if (dimension > 2) w.wide(c);
}

// The material shader's opening: refraction direction, Fresnel term.
void refract_and_fresnel(Writer &w, float fresnel) {
  direction(w, {0.0f, 0.0f, -1.0f});
  w.byte(1); // a refraction direction exists
  w.scalar(fresnel);
}

// Query 142 left unanswered, then the mirror direction: what a plain hit asks
// between its Fresnel split and its traces.
void query_and_mirror(Writer &w) {
  w.byte(0);
  direction(w, {0.0f, 0.0f, 1.0f});
}

struct Seed {
  const char *name;
  GlassParams params;
  HostState state;
  int parent_types[2];
  int parents;
  Writer script;
};

void save(const std::string &dir, const Seed &seed) {
  Writer out;
  fuzz::write_case(out, seed.params, seed.state, seed.parent_types, seed.parents, 2.0,
                   {1.0f, 0.9f, 0.8f, 1.0f});
  for (uint8_t b : seed.script.bytes()) out.byte(b);
  // The photon call follows the material call on the same script: the same
  // answers again serve it.
  for (uint8_t b : seed.script.bytes()) out.byte(b);
  const std::string path = dir + "/" + seed.name;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr ||
      std::fwrite(out.bytes().data(), 1, out.bytes().size(), f) != out.bytes().size()) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::fclose(f);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fputs("usage: seed_writer DIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  const Colour grey{0.5f, 0.5f, 0.5f, 1.0f};

  {
    Seed s{"clear_glass_entered", clear_glass(), camera_ray(), {}, 0, {}};
    refract_and_fresnel(s.script, 0.04f);
    query_and_mirror(s.script);
    trace_hit(s.script, grey);
    trace_hit(s.script, {0.9f, 0.9f, 0.9f, 1.0f});
    save(dir, s);
  }
  {
    Seed s{"clear_glass_left", clear_glass(), camera_ray(), {3, 0}, 2, {}};
    s.state.ray_type = VITREL_RAY_REFRACT;
    s.state.inverted_normal = 1;
    s.state.refraction_level = 1;
    s.params.outside_medium = 1;
    s.params.inside_color = {0.9f, 0.5f, 0.2f, 1.0f};
    refract_and_fresnel(s.script, 0.1f);
    query_and_mirror(s.script);
    trace_hit(s.script, grey);
    trace_hit(s.script, grey);
    save(dir, s);
  }
  {
    Seed s{"opaque_layer_lit", clear_glass(), camera_ray(), {}, 0, {}};
    s.params.opacity = 0.5f;
    s.params.illuminate = 1;
    s.params.light_count = 1;
    refract_and_fresnel(s.script, 0.04f);
    sampler(s.script, 2); // two light samples
    for (int i = 0; i < 2; ++i) {
      s.script.colour({1.0f, 1.0f, 1.0f, 1.0f});
      s.script.vector({0.0f, 0.6f, 0.8f});
      s.script.scalar(0.8f);
      s.script.scalar(0.3f); // the highlight
    }
    s.script.byte(1); // irradiance written
    s.script.colour({0.1f, 0.1f, 0.1f, 1.0f});
    s.script.byte(1);
    query_and_mirror(s.script);
    trace_hit(s.script, grey);
    trace_hit(s.script, grey);
    save(dir, s);
  }
  {
    Seed s{"frosted", clear_glass(), camera_ray(), {}, 0, {}};
    s.params.blur = 0.2f;
    s.params.samples = 4;
    refract_and_fresnel(s.script, 0.04f);
    query_and_mirror(s.script);
    for (int loop = 0; loop < 2; ++loop) {
      sampler(s.script, 3);
      for (int i = 0; i < 3; ++i) {
        sample_values(s.script, 0.1 + 0.3 * i, 0.7 - 0.2 * i, 0.0, 2);
        trace_hit(s.script, grey);
      }
    }
    save(dir, s);
  }
  {
    Seed s{"dispersive", clear_glass(), camera_ray(), {}, 0, {}};
    s.params.dispersion = 0.1f;
    s.params.blur = 0.05f;
    s.params.samples = 3;
    refract_and_fresnel(s.script, 0.04f);
    query_and_mirror(s.script);
    sampler(s.script, 2);
    for (int i = 0; i < 2; ++i) {
      sample_values(s.script, 0.3, 0.6, 0.2 + 0.5 * i, 2);
      trace_hit(s.script, grey);
    }
    sampler(s.script, 3);
    for (int i = 0; i < 3; ++i) {
      sample_values(s.script, 0.3, 0.6, 0.1 + 0.4 * i, 3);
      direction(s.script, {0.1f, 0.0f, -1.0f});
      s.script.byte(i != 2); // the last sample reflects totally
      if (i == 2) direction(s.script, {0.0f, 0.0f, 1.0f});
      trace_hit(s.script, grey);
    }
    save(dir, s);
  }
  {
    Seed s{"falloff_and_choice_at_depth", clear_glass(), camera_ray(), {}, 0, {}};
    s.params.falloff = 1;
    s.params.split_depth = 0;
    s.params.single_path_mode = 2;
    refract_and_fresnel(s.script, 0.04f);
    s.script.byte(1); // query 142 answered
    s.script.integer(1);
    s.script.byte(0x40 | 1); // specular transmission, colour rewritten
    s.script.colour({0.5f, 0.5f, 0.5f, 0.0f});
    trace_hit(s.script, grey);
    save(dir, s);
  }
  {
    Seed s{"declined_light_ray", clear_glass(), camera_ray(), {}, 0, {}};
    s.state.ray_type = VITREL_RAY_LIGHT;
    save(dir, s);
  }
  {
    Seed s{"at_depth_limit", clear_glass(), camera_ray(), {}, 0, {}};
    s.state.reflection_level = 8;
    save(dir, s);
  }
  {
    Seed s{"photon_transmitted_dispersed_blurred", clear_glass(), camera_ray(), {9, 0}, 1, {}};
    s.state.ray_type = VITREL_RAY_PHOTON_FROM_LIGHT;
    s.params.dispersion = 0.05f;
    s.params.blur = 0.1f;
    s.params.samples = 1;
    s.params.outside_medium = 1;
    s.params.outside_color = {0.9f, 0.9f, 0.5f, 1.0f};
    s.script.scalar(0.04f); // Fresnel
    s.script.byte(3);       // specular transmission
    sample_values(s.script, 0.4, 0, 0, 1);
    sample_values(s.script, 0.2, 0.9, 0, 2);
    direction(s.script, {0.0f, 0.1f, -1.0f});
    s.script.byte(1);
    s.script.byte(1); // sent on
    save(dir, s);
  }
  {
    Seed s{"photon_reflected", clear_glass(), camera_ray(), {13, 9}, 2, {}};
    s.state.ray_type = VITREL_RAY_PHOTON_TRANSMIT_SPECULAR;
    s.state.inverted_normal = 1;
    s.script.scalar(0.3f);
    s.script.byte(1); // specular reflection
    direction(s.script, {0.0f, 0.0f, 1.0f});
    s.script.byte(1);
    save(dir, s);
  }
  {
    Seed s{"photon_stored_on_layer", clear_glass(), camera_ray(), {10, 19}, 2, {}};
    s.state.ray_type = VITREL_RAY_PHOTON_REFLECT_SPECULAR;
    s.params.opacity = 0.6f;
    s.script.scalar(0.04f);
    s.script.byte(1); // stored
    s.script.byte(2); // diffuse reflection
    direction(s.script, {0.0f, 0.7f, 0.7f});
    s.script.byte(1);
    save(dir, s);
  }
  return 0;
}
