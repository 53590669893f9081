// Photons at equal distances come back in index order, so that which of two
// equally far photons is the farthest does not depend on the tree's shape.
#define NANOFLANN_FIRST_MATCH
#include "photon/photon_map.h"

#include <algorithm>
#include <nanoflann.hpp>
#include <utility>

namespace vr {

namespace {

// nanoflann's view of the photon records.
struct PhotonCloud {
  const std::vector<StoredPhoton> *photons;
  size_t kdtree_get_point_count() const { return photons->size(); }
  float kdtree_get_pt(uint32_t i, size_t dim) const { return (*photons)[i].position[dim]; }
  template <class Box>
  bool kdtree_get_bbox(Box &) const {
    return false;
  }
};

using Tree = nanoflann::KDTreeSingleIndexAdaptor<
    nanoflann::L2_Simple_Adaptor<float, PhotonCloud, float, uint32_t>, PhotonCloud, 3, uint32_t>;

// Photons whose surface faces within this angle of the query's count as
// lying on the same surface (cos 37 degrees): a sphere's normal turns much
// less across a lookup, a wall meeting the floor or the far side of a thin
// plate much more.
constexpr double kSameSurfaceCos = 0.8;
constexpr double kInvPi = 1 / kPi;

// The k nearest photons within the radius, of those that pass the side test.
// Distances are squared, as nanoflann's L2 metric gives them.
struct CausticNeighbours {
  nanoflann::KNNResultSet<float, uint32_t, size_t> nearest;
  const StoredPhoton *photons;
  V3 normal;
  float radius2;

  float worstDist() const { return std::min(nearest.worstDist(), radius2); }
  bool full() const { return nearest.full(); }
  bool addPoint(float dist2, uint32_t index) {
    if (!(dist2 < radius2)) return true;
    const StoredPhoton &p = photons[index];
    // cos >= kSameSurfaceCos, squared, so that the normal needs no root.
    V3 n = octahedral_vector(p.normal);
    double c = dot(n, normal);
    if (c <= 0 || c * c < kSameSurfaceCos * kSameSurfaceCos * dot(n, n) ||
        dot(octahedral_vector(p.direction), normal) >= 0)
      return true;
    return nearest.addPoint(dist2, index);
  }
};

Colour lookup(const void *map, V3 point, V3 normal) {
  return caustic_estimate(*static_cast<const CausticMap *>(map), point, normal);
}

// Spreads the low 21 bits of v over every third bit.
uint64_t spread_bits(uint64_t v) {
  v &= 0x1fffff;
  v = (v | v << 32) & 0x1f00000000ffffull;
  v = (v | v << 16) & 0x1f0000ff0000ffull;
  v = (v | v << 8) & 0x100f00f00f00f00full;
  v = (v | v << 4) & 0x10c30c30c30c30c3ull;
  v = (v | v << 2) & 0x1249249249249249ull;
  return v;
}

// Puts the photons in Morton order (a Z-curve through their bounding box):
// the photons of a tree leaf, and of neighbouring leaves, then lie together
// in memory, so a lookup reads a few cache lines instead of one per photon.
// Ties keep their photon order, so the result depends only on the photons.
void sort_spatially(std::vector<StoredPhoton> *photons) {
  if (photons->size() < 2) return;
  float lo[3], hi[3];
  for (int a = 0; a < 3; ++a) lo[a] = hi[a] = (*photons)[0].position[a];
  for (const StoredPhoton &p : *photons)
    for (int a = 0; a < 3; ++a)
      lo[a] = std::min(lo[a], p.position[a]), hi[a] = std::max(hi[a], p.position[a]);
  std::vector<std::pair<uint64_t, uint32_t>> keys(photons->size());
  for (size_t i = 0; i < photons->size(); ++i) {
    uint64_t key = 0;
    for (int a = 0; a < 3; ++a) {
      double extent = double(hi[a]) - lo[a];
      double t = extent > 0 ? ((*photons)[i].position[a] - lo[a]) / extent : 0;
      key |= spread_bits(static_cast<uint64_t>(t * 0x1fffff)) << a;
    }
    keys[i] = {key, static_cast<uint32_t>(i)};
  }
  std::sort(keys.begin(), keys.end());
  std::vector<StoredPhoton> sorted;
  sorted.reserve(photons->size());
  for (const auto &k : keys) sorted.push_back((*photons)[k.second]);
  photons->swap(sorted);
}

} // namespace

struct PhotonTree {
  PhotonCloud cloud;
  Tree index;
  explicit PhotonTree(const std::vector<StoredPhoton> *photons)
      : cloud{photons}, index(3, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10)) {}
};

CausticMap::CausticMap() = default;
CausticMap::~CausticMap() = default;
CausticMap::CausticMap(CausticMap &&) noexcept = default;
CausticMap &CausticMap::operator=(CausticMap &&) noexcept = default;

void build_caustic_map(std::vector<StoredPhoton> photons, int neighbours, double radius,
                       CausticMap *map) {
  map->tree.reset();
  map->photons = std::move(photons);
  sort_spatially(&map->photons);
  map->neighbours = std::clamp(neighbours, 1, kMaxCausticNeighbours);
  map->radius = static_cast<float>(radius);
  // The tree refers to the records by address: they stay in the map.
  if (!map->photons.empty()) map->tree = std::make_unique<PhotonTree>(&map->photons);
}

Colour caustic_estimate(const CausticMap &map, V3 point, V3 normal) {
  if (!map.tree) return {0, 0, 0, 1};
  // One more than the neighbours that count: the farthest sets the radius.
  uint32_t indices[kMaxCausticNeighbours + 1];
  float dist2[kMaxCausticNeighbours + 1];
  CausticNeighbours found{
      nanoflann::KNNResultSet<float, uint32_t, size_t>(static_cast<size_t>(map.neighbours) + 1),
      map.photons.data(), normal, map.radius * map.radius};
  found.nearest.init(indices, dist2);
  const float query[3] = {float(point.x), float(point.y), float(point.z)};
  map.tree->index.findNeighbors(found, query, nanoflann::SearchParams());
  size_t n = found.nearest.size();
  if (n == 0) return {0, 0, 0, 1};
  double r2 = map.radius * double(map.radius);
  if (found.full()) { // the farthest sets the kernel's radius and is left out
    r2 = dist2[n - 1];
    --n;
  }
  if (!(r2 > 0)) return {0, 0, 0, 1};
  double r = 0, g = 0, b = 0;
  for (size_t i = 0; i < n; ++i) {
    double w = 1 - dist2[i] / r2;
    const float *e = map.photons[indices[i]].energy;
    r += w * e[0], g += w * e[1], b += w * e[2];
  }
  // Normalised Epanechnikov kernel, 2 / (pi r^2), and the 1 / pi that turns
  // irradiance into radiance per unit albedo.
  double k = 2 / (kPi * r2) * kInvPi;
  return {float(r * k), float(g * k), float(b * k), 1};
}

CausticLookup caustic_lookup(const CausticMap &map) {
  CausticLookup c;
  if (map.tree) {
    c.map = &map;
    c.irradiance = lookup;
  }
  return c;
}

size_t caustic_map_bytes(const CausticMap &map) {
  size_t bytes = map.photons.capacity() * sizeof(StoredPhoton);
  if (map.tree) bytes += map.tree->index.usedMemory(map.tree->index);
  return bytes;
}

} // namespace vr
