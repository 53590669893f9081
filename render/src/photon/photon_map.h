// The caustic photon map: a k-d tree over the stored photons, and the
// density estimate that turns the photons near a point into irradiance.
#ifndef VITREL_RENDER_PHOTON_PHOTON_MAP_H
#define VITREL_RENDER_PHOTON_PHOTON_MAP_H

#include <cstddef>
#include <memory>
#include <vector>

#include "photon/stored_photon.h"
#include "shading/caustic_lookup.h"

namespace vr {

struct PhotonTree; // the nanoflann index, kept out of this header

struct CausticMap {
  std::vector<StoredPhoton> photons;
  std::unique_ptr<PhotonTree> tree;
  int neighbours = 64;
  float radius = 0;

  CausticMap();
  ~CausticMap();
  CausticMap(CausticMap &&) noexcept;
  CausticMap &operator=(CausticMap &&) noexcept;
};

// Builds the tree over `photons`. The map depends only on the photons and
// their order, which the photon pass keeps the same however it is scheduled.
void build_caustic_map(std::vector<StoredPhoton> photons, int neighbours, double radius,
                       CausticMap *map);

// Caustic irradiance over pi at `point` of a surface whose normal, on the
// viewer's side, is `normal` (unit). Of the `neighbours` + 1 nearest photons
// within `radius` that arrived from the front of a surface facing the same
// way, all but the farthest are weighted by the normalised Epanechnikov
// kernel 2 / (pi r^2) (1 - d^2 / r^2), where r is the farthest one's distance
// (the radius when fewer are found, and then none is left out). Leaving the
// farthest out makes the estimate exact for a uniform photon density: the
// others are then spread uniformly over the disc of radius r. Searching one
// more than `neighbours` keeps `neighbours` photons in every full estimate,
// so that even one neighbour gives a caustic.
Colour caustic_estimate(const CausticMap &map, V3 point, V3 normal);

// The map as diffuse shading looks it up.
CausticLookup caustic_lookup(const CausticMap &map);

// Memory the map holds: its records, the tree's index and its nodes.
size_t caustic_map_bytes(const CausticMap &map);

} // namespace vr

#endif
