// Where photons leave the lights and where they are aimed: at the glass
// objects each light illuminates, through each object's bounding sphere as
// seen from the point of emission (a projection map), with each photon's
// energy divided by the probability of its direction so that the photon map
// stays an unbiased estimate of the light that passes through the glass.
#ifndef VITREL_RENDER_PHOTON_EMISSION_H
#define VITREL_RENDER_PHOTON_EMISSION_H

#include <cstdint>
#include <vector>

#include "abi/host_values.h"
#include "sampler/sobol.h"
#include "scene/scene.h"
#include "shading/render_state.h"

namespace vr {

// A glass object as a light aims at it: its bounding sphere.
struct PhotonTarget {
  int object;
  V3 centre;
  double radius;
};

// A bounding sphere of object `index`'s shape: the unit sphere under its
// transform, or the centre of a mesh's box with the farthest vertex.
PhotonTarget bounding_sphere(const Shape &shape, int index);

// One light's share of the photons: indices first .. first + count - 1.
struct PhotonEmitter {
  int light;
  uint32_t first = 0, count = 0;
  std::vector<PhotonTarget> targets;   // the glass objects the light illuminates
  uint32_t scramble[kSobolDimensions]; // of the light's Sobol sequence, per dimension
};

struct EmissionPlan {
  std::vector<PhotonEmitter> emitters; // lights that illuminate some glass
  uint32_t photons = 0;
  // The pass the photons belong to. Pass p's photons of a light are points
  // p * count .. p * count + count - 1 of the light's one Sobol sequence, so
  // the passes together stay as evenly spread as one pass of all of them.
  uint32_t pass = 0;
};

// Shares `photons` among the lights that illuminate at least one glass object,
// in proportion to their emitted power (a point light's 4 pi I, an area
// light's pi L A, averaged over r, g, b).
EmissionPlan plan_emission(const Scene &scene, uint32_t photons, uint32_t pass = 0);

// The area of the glass as the lights see it: the sum of pi r^2 over the
// bounding spheres of the objects the plan aims at, each object once.
double target_area(const EmissionPlan &plan);

// A photon leaving its light.
struct PhotonStart {
  int light;
  V3 origin;
  V3 normal; // the emitting side of an area light; zero for a point light
  V3 dir;    // unit
  Colour energy;
  // The light's Sobol dimensions the emission did not use, at the photon's
  // point: the first random decisions of its path take them, so that those
  // decisions stay as evenly spread over the photons as their directions.
  PhotonStrata strata;
};

// Photon `index` of the plan: its light, its point of emission (an area light
// is sampled uniformly over its rectangle), its direction (a cone toward one
// of the light's targets, chosen in proportion to the cones' solid angles,
// then uniform within it) and its energy (the light's emission in that
// direction over the probability density of the direction, which counts every
// cone containing it, over the light's photon count). Everything is a
// function of the index alone. False for a direction an area light does not
// emit in (behind its rectangle): such a photon carries nothing.
bool emit_photon(const Scene &scene, const EmissionPlan &plan, uint32_t index, PhotonStart *out);

// The seed of photon `index`'s own random stream, for its path, in the
// plan's pass.
uint64_t photon_seed(const EmissionPlan &plan, uint32_t index);

} // namespace vr

#endif
