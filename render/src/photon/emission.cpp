#include "photon/emission.h"

#include <algorithm>
#include <cmath>

#include "core/hash.h"
#include "sampler/sobol.h"

namespace vr {

static_assert(kSobolDimensions == 8, "a photon takes the eight Sobol dimensions");

namespace {

constexpr uint64_t kEmissionSeed = 0x70686f746f6e73ull;

} // namespace

PhotonTarget bounding_sphere(const Shape &shape, int index) {
  if (shape.kind == ShapeKind::Sphere) {
    V3 centre = apply_point(shape.transform, {0, 0, 0});
    double r = 0;
    for (V3 axis : {V3{1, 0, 0}, V3{0, 1, 0}, V3{0, 0, 1}})
      r = std::max(r, length(apply_vector(shape.transform, axis)));
    return {index, centre, r};
  }
  const std::vector<float> &p = shape.mesh.positions;
  V3 lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi = -lo;
  for (size_t i = 0; i + 2 < p.size(); i += 3) {
    lo = {std::min(lo.x, double(p[i])), std::min(lo.y, double(p[i + 1])),
          std::min(lo.z, double(p[i + 2]))};
    hi = {std::max(hi.x, double(p[i])), std::max(hi.y, double(p[i + 1])),
          std::max(hi.z, double(p[i + 2]))};
  }
  V3 centre = (lo + hi) * 0.5;
  double r2 = 0;
  for (size_t i = 0; i + 2 < p.size(); i += 3) {
    V3 d = V3{p[i], p[i + 1], p[i + 2]} - centre;
    r2 = std::max(r2, dot(d, d));
  }
  // A hair more, so that single-precision vertices lie inside.
  return {index, centre, std::sqrt(r2) * (1 + 1e-6) + 1e-9};
}

namespace {

double light_power(const Light &l) {
  double c = average_rgb(l.colour);
  return l.kind == LightKind::Point ? 4 * kPi * c : kPi * c * l.area;
}

// The cone of directions from `origin` that reach a target: its unit axis,
// the cosine of its half-angle and its solid angle. An origin inside the
// sphere sees it in every direction.
struct Cone {
  V3 axis;
  double cos_max, solid_angle;
};

Cone cone_toward(V3 origin, const PhotonTarget &t) {
  V3 to = t.centre - origin;
  double d = length(to);
  if (d <= t.radius) return {{0, 0, 1}, -1, 4 * kPi};
  double cos_max = std::sqrt(std::max(0.0, 1 - (t.radius * t.radius) / (d * d)));
  return {to * (1 / d), cos_max, 2 * kPi * (1 - cos_max)};
}

} // namespace

EmissionPlan plan_emission(const Scene &scene, uint32_t photons, uint32_t pass) {
  EmissionPlan plan;
  plan.pass = pass;
  std::vector<double> power;
  for (size_t li = 0; li < scene.lights.size(); ++li) {
    PhotonEmitter e;
    e.light = static_cast<int>(li);
    for (size_t oi = 0; oi < scene.objects.size(); ++oi) {
      const Object &o = scene.objects[oi];
      if (o.material.kind != MaterialKind::Glass) continue;
      if (!lit_by(o, static_cast<int>(li))) continue;
      e.targets.push_back(bounding_sphere(o.shape, static_cast<int>(oi)));
    }
    double p = light_power(scene.lights[li]);
    if (e.targets.empty() || !(p > 0)) continue;
    uint64_t stream = hash_combine(kEmissionSeed, li + 1);
    for (int d = 0; d < kSobolDimensions; ++d) e.scramble[d] = sobol_scramble(stream, d);
    plan.emitters.push_back(std::move(e));
    power.push_back(p);
  }
  double total = 0;
  for (double p : power) total += p;
  // Cumulative rounding: the shares add up to exactly `photons`.
  double before = 0;
  uint32_t first = 0;
  for (size_t i = 0; i < plan.emitters.size(); ++i) {
    before += power[i];
    auto end = static_cast<uint32_t>(std::llround(photons * (before / total)));
    if (i + 1 == plan.emitters.size()) end = photons;
    plan.emitters[i].first = first;
    plan.emitters[i].count = end - first;
    first = end;
  }
  plan.photons = plan.emitters.empty() ? 0 : photons;
  return plan;
}

double target_area(const EmissionPlan &plan) {
  std::vector<int> seen;
  double area = 0;
  for (const PhotonEmitter &e : plan.emitters)
    for (const PhotonTarget &t : e.targets) {
      if (std::find(seen.begin(), seen.end(), t.object) != seen.end()) continue;
      seen.push_back(t.object);
      area += kPi * t.radius * t.radius;
    }
  return area;
}

uint64_t photon_seed(const EmissionPlan &plan, uint32_t index) {
  uint64_t seed = hash_combine(kEmissionSeed, index);
  return plan.pass == 0 ? seed : hash_combine(seed, plan.pass);
}

bool emit_photon(const Scene &scene, const EmissionPlan &plan, uint32_t index, PhotonStart *out) {
  const PhotonEmitter *e = nullptr;
  for (const PhotonEmitter &candidate : plan.emitters)
    if (index >= candidate.first && index - candidate.first < candidate.count) e = &candidate;
  if (e == nullptr) return false;
  const Light &l = scene.lights[e->light];
  // The light's photons are the points of one scrambled Sobol sequence:
  // dimension 0 picks the cone, 1 and 2 the direction in it (0 and 1 when
  // there is one cone), 5 and 6 the point on an area light, and the rest,
  // from the lowest, the first random decisions of the photon's path. The
  // photons that land in one pixel share a direction more than anything
  // else, so the dimensions stratified best together with the direction's go
  // to what sets their colour and their number there: the Fresnel choices
  // and the wavelength, rather than the point on the light.
  // Past 2^32 points the sequence starts again under fresh scrambles (and
  // the path draws its decisions from its own stream).
  uint64_t point = uint64_t{plan.pass} * e->count + (index - e->first);
  auto k = static_cast<uint32_t>(point);
  uint32_t round = static_cast<uint32_t>(point >> 32);
  auto u = [&](int d) {
    uint32_t scramble = round == 0 ? e->scramble[d] : uint32_t(hash_combine(e->scramble[d], round));
    return scrambled_sobol_point(k, d, scramble);
  };

  out->light = e->light;
  out->normal = {0, 0, 0};
  out->origin = l.position;
  if (l.kind == LightKind::Area) {
    out->origin = l.position + l.edge_u * (u(5) - 0.5) + l.edge_v * (u(6) - 0.5);
    out->normal = l.normal;
  }

  // Three passes over the targets, each working its cone out again, rather
  // than a list per photon.
  auto cone_of = [&](size_t i) {
    const PhotonTarget &t = e->targets[i];
    Cone c = cone_toward(out->origin, t);
    // A target wholly behind an area light receives nothing from it.
    if (l.kind == LightKind::Area && dot(t.centre - out->origin, l.normal) <= -t.radius)
      c.solid_angle = 0;
    return c;
  };
  size_t n = e->targets.size();
  double total = 0;
  for (size_t i = 0; i < n; ++i) total += cone_of(i).solid_angle;
  if (!(total > 0)) return false;
  size_t chosen = n;
  double acc = 0, pick = n > 1 ? u(0) * total : 0;
  for (size_t i = 0; i < n && chosen == n; ++i) {
    double w = cone_of(i).solid_angle;
    acc += w;
    if (w > 0 && pick < acc) chosen = i;
  }
  for (size_t i = n; chosen == n && i-- > 0;) // rounding left the pick past the sum
    if (cone_of(i).solid_angle > 0) chosen = i;
  Cone c = cone_of(chosen);
  // With a single cone there is nothing to pick, and the direction takes
  // dimensions 0 and 1, the pair that is stratified best (a (0, 2)-sequence):
  // every elementary interval of the photons' directions holds its share.
  int du = n == 1 ? 0 : 1;
  double cos_t = 1 - u(du) * (1 - c.cos_max);
  double sin_t = std::sqrt(std::max(0.0, 1 - cos_t * cos_t)), phi = 2 * kPi * u(du + 1);
  out->dir = normalize(
      from_frame(frame_around(c.axis), {sin_t * std::cos(phi), sin_t * std::sin(phi), cos_t}));

  // Density of the direction: each cone is chosen with its solid angle's
  // share and is uniform inside, so the density is (cones containing the
  // direction) / (sum of the solid angles). The chosen cone counts even where
  // rounding puts the direction a hair outside it.
  int containing = 1;
  for (size_t i = 0; i < n; ++i) {
    if (i == chosen) continue;
    Cone other = cone_of(i);
    if (other.solid_angle > 0 && dot(out->dir, other.axis) >= other.cos_max) ++containing;
  }
  double scale = total / (containing * double(e->count));
  if (l.kind == LightKind::Area) {
    double cos_l = dot(out->dir, l.normal);
    if (!(cos_l > 0)) return false;
    scale *= cos_l * l.area; // radiance times projected area, over the area's density
  }
  out->strata = PhotonStrata{};
  out->strata.point = k;
  out->strata.scramble = round == 0 ? e->scramble : nullptr;
  for (int d = n == 1 ? 2 : 3;
       d < kSobolDimensions && round == 0 && out->strata.count < kPhotonStrata; ++d)
    if (l.kind != LightKind::Area || (d != 5 && d != 6))
      out->strata.dimension[out->strata.count++] = static_cast<int8_t>(d);
  auto f = static_cast<float>(scale);
  out->energy = {l.colour.r * f, l.colour.g * f, l.colour.b * f, 1};
  return true;
}

} // namespace vr
