// The host operations as the module calls them, on real scenes. The surfaces
// are diffuse, so these tests do not depend on the glass shader.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "scene/glass_material.h"
#include "shading/scatter.h"
#include "shading/textures.h"
#include "test_scenes.h"
#include <vitrel/host/ops.h>

namespace vr {
namespace {

using test::make_scene;
using test::probe;

Vector vec(double x, double y, double z) { return to_vector({x, y, z}); }

// A diffuse unit sphere at the origin in a blue world.
const char *kSphere = R"({"environment": {"type": "constant", "color": [0, 0, 1]},
    "objects": [{"shape": "sphere", "material": {"type": "diffuse", "color": [1, 1, 1]}}]})";

TEST(TraceOperations, TheChildStateRecordsTheRay) {
  auto t = make_scene(kSphere);
  RenderState &root = probe(*t, {0, 0, 5}, {0, 0, -1});
  EXPECT_EQ(root.host.ray_type, VITREL_RAY_EYE);
  EXPECT_EQ(root.host.parent, nullptr);
  EXPECT_NEAR(root.host.hit_distance, 4, 1e-4);
  EXPECT_EQ(root.host.inverted_normal, 0);
  EXPECT_NEAR(root.host.normal.z, 1, 1e-6);
  EXPECT_NEAR(root.host.dot_nd, -1, 1e-6);
  EXPECT_EQ(root.host.options->refraction_depth_limit, t->scene.options.refraction_depth);

  root.host.volume = 5, root.host.refraction_volume = 7;
  Colour c;
  Vector down = vec(0, 0, -1);
  ASSERT_EQ(mi_trace_refraction(&c, &root.host, &down), 1);
  HostState *child = root.host.child;
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->parent, &root.host);
  EXPECT_EQ(child->ray_type, VITREL_RAY_REFRACT);
  EXPECT_EQ(child->refraction_level, 1);
  EXPECT_EQ(child->reflection_level, 0);
  EXPECT_NEAR(child->hit_distance, 2, 1e-3); // through the sphere to its back
  EXPECT_EQ(child->inverted_normal, 1);      // the back side, from inside
  EXPECT_NEAR(child->normal.z, 1, 1e-6);     // turned to face the ray
  EXPECT_NEAR(child->dot_nd, -1, 1e-6);
  EXPECT_NEAR(child->direction.z, -1, 1e-7);
  EXPECT_EQ(child->volume, 7u); // the medium the parent named for refraction
  EXPECT_EQ(child->shader, root.host.shader);
  EXPECT_EQ(child->camera, root.host.camera);

  // A reflection from inside hits the front again and stays in the parent's medium.
  render_state(child)->host.refraction_volume = 9;
  Vector up = vec(0, 0, 1);
  ASSERT_EQ(mi_trace_reflection(&c, child, &up), 1);
  HostState *grandchild = child->child;
  EXPECT_EQ(grandchild->ray_type, VITREL_RAY_REFLECT);
  EXPECT_EQ(grandchild->reflection_level, 1);
  EXPECT_EQ(grandchild->refraction_level, 1);
  EXPECT_EQ(grandchild->volume, 7u);
  EXPECT_EQ(grandchild->parent, child);
}

TEST(TraceOperations, AMissAnswersFalseWithTheEnvironment) {
  auto t = make_scene(kSphere);
  RenderState &root = probe(*t, {0, 0, 5}, {0, 0, -1});
  Colour c{9, 9, 9, 9};
  Vector away = vec(0, 0, 1);
  EXPECT_EQ(mi_trace_reflection(&c, &root.host, &away), 0);
  EXPECT_EQ(c.b, 1);
  EXPECT_EQ(c.r, 0);
  Colour e{9, 9, 9, 9};
  EXPECT_EQ(mi_trace_environment(&e, &root.host, &away), 1);
  EXPECT_EQ(std::memcmp(&c, &e, sizeof c), 0);
}

// Two facing diffuse quads 2 apart, unlit (black), in a blue world: a ray
// from one to the other has length 2.
const char *kFacingQuads = R"({"environment": {"type": "constant", "color": [0, 0, 1]},
    "objects": [
      {"shape": "quad", "size": [10, 10], "transform": {"rotate": [90, 0, 0]}},
      {"shape": "quad", "size": [10, 10], "transform": {"rotate": [-90, 0, 0], "translate": [0, 0, 2]}}]})";

float trace_up(RenderState &s, int *hit) {
  Colour c;
  Vector up = vec(0, 0, 1);
  *hit = mi_trace_reflection(&c, &s.host, &up);
  return c.b; // 0 for the black quad, 1 for the world, between when faded
}

TEST(RayFalloff, FadesIntoTheEnvironmentAndRestoresByNesting) {
  auto t = make_scene(kFacingQuads);
  RenderState &s = probe(*t, {0, 0, 1}, {0, 0, -1});
  int hit;
  EXPECT_EQ(trace_up(s, &hit), 0);
  EXPECT_EQ(hit, 1);

  double start = 1, stop = 3; // the hit at 2 is halfway
  mi_ray_falloff(&s.host, &start, &stop);
  EXPECT_EQ(start, kNoFalloff); // the previous pair: none
  EXPECT_EQ(stop, kNoFalloff);
  EXPECT_NEAR(trace_up(s, &hit), 0.5, 1e-3);
  EXPECT_EQ(hit, 1);

  double start2 = 0.5, stop2 = 1.5; // the hit lies beyond the stop
  mi_ray_falloff(&s.host, &start2, &stop2);
  EXPECT_EQ(start2, 1);
  EXPECT_EQ(stop2, 3);
  EXPECT_EQ(trace_up(s, &hit), 1);
  EXPECT_EQ(hit, 0);

  mi_ray_falloff(&s.host, &start2, &stop2); // back to (1, 3)
  EXPECT_NEAR(trace_up(s, &hit), 0.5, 1e-3);
  mi_ray_falloff(&s.host, &start, &stop); // back to none
  EXPECT_EQ(trace_up(s, &hit), 0);
  EXPECT_EQ(hit, 1);
}

TEST(Query, SinglePathFlagAnswersTheCommandLine) {
  for (bool single : {false, true}) {
    auto t = make_scene(kSphere, single);
    RenderState &s = probe(*t, {0, 0, 5}, {0, 0, -1});
    int flag = 42;
    EXPECT_EQ(mi_query(VITREL_QUERY_SINGLE_PATH, &s.host, 0, &flag), 1);
    EXPECT_EQ(flag, single ? 1 : 0);
    int untouched = 42;
    EXPECT_EQ(mi_query(7, &s.host, 0, &untouched), 0);
    EXPECT_EQ(untouched, 42);
  }
}

Colour grey(float v) { return {v, v, v, 0.5f}; }

TEST(ScatterChoice, RouletteProportionalToAveragesAndCompensated) {
  Colour r = grey(0.2f), tr = grey(0.8f);
  EXPECT_EQ(choose_scatter(0.1, nullptr, &r, nullptr, &tr), VITREL_SCATTER_SPECULAR_REFLECT);
  EXPECT_FLOAT_EQ(r.g, 1.0f);  // 0.2 / its probability 0.2
  EXPECT_EQ(r.a, 0.5f);        // alpha untouched
  EXPECT_FLOAT_EQ(tr.g, 0.8f); // the colour not chosen is left alone
  r = grey(0.2f);
  EXPECT_EQ(choose_scatter(0.5, nullptr, &r, nullptr, &tr), VITREL_SCATTER_SPECULAR_TRANSMIT);
  EXPECT_FLOAT_EQ(tr.b, 1.0f);

  // Averages summing below 1 leave room for absorption.
  Colour a = {0.3f, 0.0f, 0.0f, 1}, b = grey(0.3f);
  EXPECT_EQ(choose_scatter(0.05, &a, nullptr, nullptr, &b), VITREL_SCATTER_DIFFUSE_REFLECT);
  EXPECT_FLOAT_EQ(a.r, 3.0f); // divided by 0.1
  a = {0.3f, 0.0f, 0.0f, 1};
  b = grey(0.3f);
  EXPECT_EQ(choose_scatter(0.35, &a, nullptr, nullptr, &b), VITREL_SCATTER_SPECULAR_TRANSMIT);
  b = grey(0.3f);
  EXPECT_EQ(choose_scatter(0.45, &a, nullptr, nullptr, &b), VITREL_SCATTER_ABSORB);
  EXPECT_EQ(choose_scatter(0.99, nullptr, nullptr, nullptr, nullptr), VITREL_SCATTER_ABSORB);
  Colour dt = grey(0.5f);
  EXPECT_EQ(choose_scatter(0.2, nullptr, nullptr, &dt, nullptr), VITREL_SCATTER_DIFFUSE_TRANSMIT);

  // Averages above 1 share the choice without absorption.
  Colour x = grey(1), y = grey(3);
  EXPECT_EQ(choose_scatter(0.9999, nullptr, &x, nullptr, &y), VITREL_SCATTER_SPECULAR_TRANSMIT);
  EXPECT_FLOAT_EQ(y.r, 4.0f); // 3 / (3/4)
}

TEST(ScatterChoice, TheOperationIsUnbiasedOverManyStates) {
  auto t = make_scene(kSphere);
  RenderState &s = probe(*t, {0, 0, 5}, {0, 0, -1});
  int reflected = 0;
  double weight_sum = 0;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    Colour r = grey(0.25f), tr = grey(0.75f);
    int type = mi_choose_simple_scatter_type(&s.host, nullptr, &r, nullptr, &tr);
    if (type == VITREL_SCATTER_SPECULAR_REFLECT)
      ++reflected, weight_sum += r.r;
    else
      weight_sum += tr.r;
  }
  EXPECT_NEAR(double(reflected) / n, 0.25, 0.015);
  EXPECT_NEAR(weight_sum / n, 1.0, 1e-6); // each pick carries 1 / its probability times its value
}

// A floor lit by three lights, of which the floor is linked to two.
const char *kLitFloor = R"({"lights": [
      {"name": "a", "type": "point", "position": [0, 5, 0], "intensity": 10},
      {"name": "b", "type": "point", "position": [3, 5, 0], "intensity": 10},
      {"name": "c", "type": "area", "size": [0.2, 0.2], "samples": 4, "intensity": 100,
       "transform": {"translate": [0, 4, 0]}}],
    "objects": [{"shape": "quad", "size": [20, 20], "lights": ["a", "c"]}]})";

std::vector<Tag> list_of(int n, Tag *list) { return std::vector<Tag>(list, list + n); }

TEST(LightLists, InclusiveAndExclusiveFollowTheObjectsLinks) {
  auto t = make_scene(kLitFloor);
  RenderState &s = probe(*t, {0, 1, 0}, {0, -1, 0});
  Tag given[2] = {2, 3}; // b and c
  int n = 2;
  Tag *list = given;
  EXPECT_EQ(mi_inclusive_lightlist(&n, &list, &s.host), 1);
  EXPECT_EQ(list_of(n, list), std::vector<Tag>{3}); // b does not light the floor
  EXPECT_EQ(given[0], 2u);                          // the caller's array is not written

  Tag only_c = 3;
  n = 1, list = &only_c;
  mi_exclusive_lightlist(&n, &list, &s.host);
  EXPECT_EQ(list_of(n, list), std::vector<Tag>{1});
  n = 0, list = nullptr;
  mi_exclusive_lightlist(&n, &list, &s.host);
  EXPECT_EQ(list_of(n, list), (std::vector<Tag>{1, 3}));
  // The state's own buffer may be handed back in.
  mi_inclusive_lightlist(&n, &list, &s.host);
  EXPECT_EQ(list_of(n, list), (std::vector<Tag>{1, 3}));
  n = 0;
  mi_inclusive_lightlist(&n, &list, &s.host);
  EXPECT_EQ(n, 0);
}

TEST(LightSamples, CountersFollowTheProtocol) {
  auto t = make_scene(kLitFloor);
  RenderState &s = probe(*t, {0, 1, 0}, {0, -1, 0});
  Colour c;
  Vector dir;
  float dot_nl = -7;
  int count = 0;
  ASSERT_EQ(mi_sample_light(&c, &dir, &dot_nl, &s.host, 1, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_NEAR(dir.y, 1, 1e-6);
  EXPECT_NEAR(dot_nl, 1, 1e-6);
  EXPECT_NEAR(c.r, 10 / (kPi * 25), 1e-6); // intensity / (pi r^2)
  EXPECT_EQ(mi_sample_light(&c, &dir, &dot_nl, &s.host, 1, &count), 0);
  EXPECT_EQ(count, 1);

  // The area light delivers its four samples, each a point of the square.
  count = 0;
  double sum = 0;
  while (mi_sample_light(&c, &dir, &dot_nl, &s.host, 3, &count)) {
    EXPECT_GT(dir.y, 0.99);
    sum += c.r * dot_nl;
  }
  EXPECT_EQ(count, 4);
  // A small light of radiance L and area A at height h: L A / (pi h^2).
  EXPECT_NEAR(sum / count, 100 * 0.04 / (kPi * 16), 1e-3 * 100 * 0.04 / (kPi * 16));

  count = 0;
  EXPECT_EQ(mi_sample_light(&c, &dir, &dot_nl, &s.host, 0, &count), 0);
  EXPECT_EQ(mi_sample_light(&c, &dir, &dot_nl, &s.host, 99, &count), 0);
  EXPECT_EQ(count, 0);
}

TEST(LightSamples, ShadowedAndBackFacingSamplesStillCount) {
  auto t = make_scene(R"({"lights": [{"type": "point", "position": [0, 5, 0]},
                                    {"type": "point", "position": [0, -5, 0]}],
      "objects": [{"shape": "quad", "size": [20, 20]},
                  {"shape": "box", "transform": {"translate": [0, 2, 0]}}]})");
  RenderState &s = probe(*t, {0.01, 1, 0}, {0, -1, 0});
  Colour c{9, 9, 9, 9};
  Vector dir;
  float dot_nl;
  int count = 0;
  ASSERT_EQ(mi_sample_light(&c, &dir, &dot_nl, &s.host, 1, &count), 1); // behind the box
  EXPECT_EQ(c.r, 0);
  EXPECT_EQ(count, 1);
  count = 0;
  ASSERT_EQ(mi_sample_light(&c, &dir, &dot_nl, &s.host, 2, &count), 1); // under the floor
  EXPECT_LT(dot_nl, 0);
  EXPECT_EQ(c.g, 0);
  EXPECT_EQ(count, 1);
}

TEST(Irradiance, GatherSeesTheWorldButNotTheLights) {
  const char *furnace = R"({"environment": {"type": "constant", "color": [1, 1, 1]},
      "options": {"gather_rays": %d},
      "lights": [{"type": "area", "size": [4, 4], "intensity": 50, "transform": {"translate": [0, 1, 0]}}],
      "objects": [{"shape": "quad", "size": [20, 20]}]})";
  char text[1024];
  std::snprintf(text, sizeof text, furnace, 64);
  auto t = make_scene(text);
  RenderState &s = probe(*t, {0, 0.5, 0}, {0, -1, 0});
  Colour e{};
  EXPECT_EQ(mi_compute_irradiance(&e, &s.host), 1);
  EXPECT_NEAR(e.r, 1, 1e-6); // irradiance / pi of a uniform white world is 1
  EXPECT_NEAR(e.b, 1, 1e-6);

  std::snprintf(text, sizeof text, furnace, 0);
  auto off = make_scene(text);
  RenderState &s2 = probe(*off, {0, 0.5, 0}, {0, -1, 0});
  mi_compute_irradiance(&e, &s2.host);
  EXPECT_EQ(e.r, 0);

  // Under a grey ceiling lit by nothing, the gather sees only the ceiling's
  // darkness and the open sides.
  auto ceiling = make_scene(R"({"environment": {"type": "constant", "color": [1, 1, 1]},
      "options": {"gather_rays": 256},
      "objects": [{"shape": "quad", "size": [2000, 2000]},
                  {"shape": "quad", "size": [2000, 2000], "transform": {"rotate": [180, 0, 0], "translate": [0, 1, 0]}}]})");
  RenderState &s3 = probe(*ceiling, {0, 0.5, 0}, {0, -1, 0});
  mi_compute_irradiance(&e, &s3.host);
  EXPECT_LT(e.r, 0.01);
}

TEST(Directions, MirrorSnellFresnelAndHighlightAtTheHit) {
  auto t = make_scene(kSphere);
  RenderState &s = probe(*t, {0, 0, 5}, {0, 0, -1});
  Vector r;
  mi_reflection_dir(&r, &s.host);
  EXPECT_NEAR(r.z, 1, 1e-6);
  Vector tr;
  ASSERT_EQ(mi_refraction_dir(&tr, &s.host, 1.0f, 1.5f), 1);
  EXPECT_NEAR(tr.z, -1, 1e-6);
  EXPECT_NEAR(mi_fresnel_reflection(&s.host, 1.0f, 1.5f), 0.04f, 1e-6);
  Vector toward_mirror = vec(0, 0, 1);
  EXPECT_NEAR(mi_phong_specular(10, &s.host, &toward_mirror), 12 / (2 * kPi), 1e-5);
  Vector below = vec(0, 0, -1);
  EXPECT_EQ(mi_phong_specular(10, &s.host, &below), 0);

  // Past the critical angle from inside: no refraction, full reflection.
  double a = 50 * kPi / 180;
  s.host.direction = vec(std::sin(a), 0, -std::cos(a));
  s.host.normal = vec(0, 0, 1);
  s.host.dot_nd = static_cast<float>(-std::cos(a));
  Vector untouched = vec(3, 3, 3);
  EXPECT_EQ(mi_refraction_dir(&untouched, &s.host, 1.5f, 1.0f), 0);
  EXPECT_EQ(untouched.x, 3);
  EXPECT_EQ(mi_fresnel_reflection(&s.host, 1.5f, 1.0f), 1.0f);
}

TEST(ParameterEvaluation, ConnectedFieldsEvaluateTheirTextureAtTheHit) {
  auto t = make_scene(R"({"objects": [{"shape": "sphere", "material": {"type": "glass",
      "ior": {"texture": "checker", "values": [1.2, 1.8], "scale": 8},
      "inside_color": {"texture": "noise", "values": [[0, 0, 0], [1, 0.5, 0.25]], "scale": 3}}}]})");
  const GlassMaterial &glass = t->scene.objects[0].material.glass;
  GlassParams *params = const_cast<GlassParams *>(glass_params(glass));
  const Texture *ior_texture = nullptr;
  for (const ParamConnection &c : glass.connections)
    if (c.offset == offsetof(GlassParams, ior)) ior_texture = &c.texture;
  ASSERT_NE(ior_texture, nullptr);
  for (V3 from : {V3{0, 0, 5}, V3{0.3, 0.2, 5}, V3{-0.4, 0.1, 5}}) {
    RenderState &s = probe(*t, from, {0, 0, -1});
    EXPECT_EQ(s.host.shader->interface_offset, glass.interface_offset);
    auto *ior = static_cast<float *>(mi_phen_eval(&s.host, &params->ior));
    EXPECT_NE(ior, &params->ior);
    EXPECT_EQ(*ior, eval_texture(*ior_texture, s.u, s.v, s.object_point).r);
    EXPECT_TRUE(*ior == 1.2f || *ior == 1.8f);
    auto *inside = static_cast<Colour *>(mi_phen_eval(&s.host, &params->inside_color));
    EXPECT_FLOAT_EQ(inside->g, inside->r * 0.5f);
    EXPECT_EQ(*ior, eval_texture(*ior_texture, s.u, s.v, s.object_point).r)
        << "an earlier value stays valid while others are evaluated";
    EXPECT_EQ(mi_phen_eval(&s.host, &params->outside_color), &params->outside_color);
  }
}

} // namespace
} // namespace vr
