// The caustic photon map of one pass: the stored photons on a hashed grid of
// cells twice as wide as the pass's kernel radius, and the fixed-radius density
// estimate that turns the photons near a point into irradiance.
#ifndef VITREL_RENDER_PHOTON_PHOTON_MAP_H
#define VITREL_RENDER_PHOTON_PHOTON_MAP_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "photon/stored_photon.h"
#include "shading/caustic_lookup.h"

namespace vr {

// A merged photon as a lookup reads it: its position, flux, and the unit
// normal of the surface it arrived at, on the side it arrived from.
struct MapRecord {
  float position[3];
  float energy[3];
  float normal[3];
};

struct CausticMap {
  // The merged photons ordered by their cell's slot in the table, in photon
  // order within a slot, so that a cell's records lie together in memory.
  std::vector<MapRecord> photons;
  // Photons of slot s: photons[starts[s] .. starts[s + 1]). A slot holds every
  // cell whose hash lands on it; the distance test sorts them out.
  std::vector<uint32_t> starts;
  float radius = 0;      // the kernel's, in scene units
  double inv_cell = 0;   // cells per scene unit: 1 / (2 radius)
  double origin[3] = {}; // the grid's corner: the photons' lowest coordinates
  double top[3] = {};    // their highest
};

// Builds the map over `photons` with a kernel of `radius`. The map depends
// only on the photons, their order and the radius, which the photon pass
// keeps the same however it is scheduled.
void build_caustic_map(std::vector<StoredPhoton> photons, double radius, CausticMap *map);

// Caustic irradiance over pi at `point` of a surface whose normal, on the
// viewer's side, is `normal` (unit): the photons within the radius that
// arrived from the front of a surface facing the same way, weighted by the
// normalised Epanechnikov kernel 2 / (pi r^2) (1 - d^2 / r^2). A fixed radius
// keeps the estimate's integral over a surface equal to the photons' flux
// (each photon's kernel integrates to 1), whatever their density; its only
// bias is the blur over the radius, which the passes shrink.
Colour caustic_estimate(const CausticMap &map, V3 point, V3 normal);

// The map as diffuse shading looks it up.
CausticLookup caustic_lookup(const CausticMap &map);

// Memory the map holds: its records and its slot table.
size_t caustic_map_bytes(const CausticMap &map);

} // namespace vr

#endif
