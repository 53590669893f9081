#include "shading/lights.h"

#include <algorithm>
#include <cassert>

#include "sampler/path_sampling.h"
#include "sampler/sobol.h"
#include "shading/tracer.h"

namespace vr {

namespace {

// A shadow ray stops this share of its length short of the light sample.
// Embree finds hits in single precision (a relative error of about 1e-7), so
// a surface the sample lies on, such as a ceiling an area light is set into,
// would otherwise be hit at the very end of the ray and shadow its own light.
constexpr double kShadowRayShortening = 1e-6;

const std::vector<Tag> *links_of(const RenderState &s) {
  const Scene &scene = *s.thread->rc->scene;
  return s.object >= 0 ? &scene.objects[s.object].light_links : nullptr;
}

bool lights_object(const RenderState &s, Tag tag) {
  const std::vector<Tag> *links = links_of(s);
  if (links == nullptr) return light_of(*s.thread->rc->scene, tag) != nullptr;
  return std::find(links->begin(), links->end(), tag) != links->end();
}

bool listed(const Tag *list, int n, Tag tag) {
  return list != nullptr && n > 0 && std::find(list, list + n, tag) != list + n;
}

// Sample k of the light as seen from `point`: where it lies, the unit
// direction to it, and the colour it sends there before the surface's cosine
// (black when the light faces away). One square root and one division serve
// the direction, the distance falloff and the light's own cosine.
struct LightSample {
  V3 position, dir;
  Colour colour;
};

LightSample light_sample(const RenderState &s, const Light &l, int k, V3 point) {
  LightSample out;
  if (l.kind == LightKind::Point) {
    out.position = l.position;
    V3 d = l.position - point;
    double r2 = dot(d, d);
    out.dir = d * (1 / std::sqrt(r2));
    float falloff = static_cast<float>(1 / (kPi * r2));
    out.colour = {l.colour.r * falloff, l.colour.g * falloff, l.colour.b * falloff, 1};
    return out;
  }
  double a = scrambled_sobol_point(static_cast<uint32_t>(k), 0, s.light_scramble[0]) - 0.5;
  double b = scrambled_sobol_point(static_cast<uint32_t>(k), 1, s.light_scramble[1]) - 0.5;
  out.position = l.position + l.edge_u * a + l.edge_v * b;
  V3 d = out.position - point;
  double r2 = dot(d, d);
  double inv_r = 1 / std::sqrt(r2);
  out.dir = d * inv_r;
  double cos_l = -dot(out.dir, l.normal);
  float g = cos_l > 0 ? static_cast<float>(cos_l * (l.area / kPi) * (inv_r * inv_r)) : 0.0f;
  out.colour = {l.colour.r * g, l.colour.g * g, l.colour.b * g, 1};
  return out;
}

} // namespace

bool sample_light(RenderState &s, Tag tag, int *count, Colour *colour, V3 *dir, float *dot_nl,
                  int max_samples) {
  const Light *l = light_of(*s.thread->rc->scene, tag);
  if (l == nullptr || count == nullptr) return false;
  int budget = std::min(l->kind == LightKind::Point ? 1 : l->samples, max_samples);
  if (*count < 0 || *count >= budget) return false;
  if (*count == 0) { // a light's samples are the points of one fresh sequence
    uint64_t seed = draw_seed(s.path);
    s.light_scramble[0] = sobol_scramble(seed, 0);
    s.light_scramble[1] = sobol_scramble(seed, 1);
  }
  int k = (*count)++;

  LightSample ls = light_sample(s, *l, k, s.point);
  V3 d = ls.dir;
  *dir = d;
  *dot_nl = static_cast<float>(dot(d, to_v3(s.host.normal)));
  Colour c = ls.colour;
  bool lit = *dot_nl > 0 && c.r + c.g + c.b > 0;
  if (lit) {
    ++s.thread->rays;
    V3 origin = ray_origin(s, d);
    lit = !occluded(*s.thread->rc->accel, origin, d,
                    length(ls.position - origin) * (1 - kShadowRayShortening));
  }
  *colour = lit ? c : Colour{0, 0, 0, 1};
  return true;
}

namespace {

// The caller's list, copied: it may be the state's own buffer from an earlier call.
int copy_list(const int *n, Tag *const *list, Tag *copy) {
  int count = *list == nullptr ? 0 : std::clamp(*n, 0, kMaxLights);
  std::copy(*list, *list + count, copy);
  return count;
}

} // namespace

void inclusive_lightlist(RenderState &s, int *n, Tag **list) {
  Tag given[kMaxLights];
  int count = copy_list(n, list, given), out = 0;
  for (int i = 0; i < count; ++i)
    if (lights_object(s, given[i]) && !listed(s.lights, out, given[i])) {
      assert(out < kMaxLights); // at most one entry per given light
      s.lights[out++] = given[i];
    }
  *n = out;
  *list = s.lights;
}

void exclusive_lightlist(RenderState &s, int *n, Tag **list) {
  Tag given[kMaxLights];
  int count = copy_list(n, list, given), out = 0;
  const Scene &scene = *s.thread->rc->scene;
  for (size_t i = 0; i < scene.lights.size() && out < kMaxLights; ++i) {
    Tag tag = static_cast<Tag>(i + 1);
    if (lights_object(s, tag) && !listed(given, count, tag)) s.lights[out++] = tag;
  }
  *n = out;
  *list = s.lights;
}

Colour direct_light(RenderState &s, int max_samples_per_light) {
  Colour sum{0, 0, 0, 1};
  int n = 0;
  Tag *list = nullptr;
  exclusive_lightlist(s, &n, &list);
  for (int i = 0; i < n; ++i) {
    Colour one{0, 0, 0, 1}, c;
    V3 dir;
    float dot_nl;
    int count = 0;
    while (sample_light(s, list[i], &count, &c, &dir, &dot_nl, max_samples_per_light)) {
      float w = std::max(dot_nl, 0.0f);
      one = {one.r + c.r * w, one.g + c.g * w, one.b + c.b * w, 1};
    }
    if (count > 0) sum = {sum.r + one.r / count, sum.g + one.g / count, sum.b + one.b / count, 1};
  }
  return sum;
}

} // namespace vr
