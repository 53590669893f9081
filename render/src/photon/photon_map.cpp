#include "photon/photon_map.h"

#include <algorithm>
#include <cmath>

#include "core/hash.h"

namespace vr {

namespace {

// Cells are two radii wide, so that a lookup's disc spans at most two a side.
constexpr double kCellRadii = 2;

// Photons whose surface faces within this angle of the query's count as
// lying on the same surface (cos 37 degrees): a sphere's normal turns much
// less across a lookup, a wall meeting the floor or the far side of a thin
// plate much more.
constexpr double kSameSurfaceCos = 0.8;
constexpr double kInvPi = 1 / kPi;

struct Cell {
  int64_t x, y, z;
};

Cell cell_of(const CausticMap &map, const double p[3]) {
  auto c = [&](int a) {
    return static_cast<int64_t>(std::floor((p[a] - map.origin[a]) * map.inv_cell));
  };
  return {c(0), c(1), c(2)};
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

// A cell's slot: cells are grouped in blocks of 4 x 4 x 4, a block's cells
// take 64 consecutive slots in Morton order (a Z-curve), and the blocks are
// hashed over the table. A lookup's cells then mostly share a block, and
// the photons, sorted by slot, share cache lines; a hash of the block keeps
// far-apart blocks from piling onto the same slots, as a Morton code wrapped
// to the table would.
uint32_t slot_of(Cell c, size_t slots) {
  uint64_t inner = spread_bits(uint64_t(c.x) & 3) | spread_bits(uint64_t(c.y) & 3) << 1 |
                   spread_bits(uint64_t(c.z) & 3) << 2;
  uint64_t block = mix64(uint64_t(c.x >> 2) * 0x9e3779b97f4a7c15ull ^
                         uint64_t(c.y >> 2) * 0xc2b2ae3d27d4eb4full ^
                         uint64_t(c.z >> 2) * 0x165667b19e3779f9ull);
  return static_cast<uint32_t>((block << 6 | inner) & (slots - 1));
}

Colour lookup(const void *map, V3 point, V3 normal) {
  return caustic_estimate(*static_cast<const CausticMap *>(map), point, normal);
}

// Photons closer together than this share of the radius, on surfaces that
// face the same way, are merged into one: a lookup then visits a bounded
// number of records however bright the caustic, and the merged record's
// kernel still integrates to their summed flux.
constexpr double kMergeCells = 1; // merge cells per radius

// A photon's merge group: its cell of the merge grid, its normal's
// octahedral code to 4 bits a coordinate (about 12 degrees) and whether it
// arrived against that normal.
struct MergeKey {
  int64_t x, y, z;
  uint32_t normal;
  uint32_t index; // the photon's, so that a group sums in photon order
  bool operator<(const MergeKey &o) const {
    if (x != o.x) return x < o.x;
    if (y != o.y) return y < o.y;
    if (z != o.z) return z < o.z;
    if (normal != o.normal) return normal < o.normal;
    return index < o.index;
  }
  bool same_group(const MergeKey &o) const {
    return x == o.x && y == o.y && z == o.z && normal == o.normal;
  }
};

// Merges each group into one record at the group's flux-weighted centre,
// with its summed flux and the normal of its first photon. A group that
// arrived at the back of its surface (along its normal) is dropped: the
// side test refuses it at every lookup that faces its surface's way.
std::vector<MapRecord> merge_photons(const std::vector<StoredPhoton> &photons, double cell) {
  std::vector<MergeKey> keys(photons.size());
  double inv = 1 / cell;
  for (size_t i = 0; i < photons.size(); ++i) {
    const StoredPhoton &p = photons[i];
    auto c = [&](int a) { return static_cast<int64_t>(std::floor(p.position[a] * inv)); };
    uint32_t n = p.normal;
    uint32_t against = dot(octahedral_vector(p.direction), octahedral_vector(p.normal)) < 0;
    keys[i] = {c(0), c(1), c(2), (n >> 12) << 5 | ((n >> 4) & 0xf) << 1 | against,
               static_cast<uint32_t>(i)};
  }
  std::sort(keys.begin(), keys.end());
  std::vector<MapRecord> merged;
  for (size_t i = 0; i < keys.size();) {
    size_t end = i + 1;
    while (end < keys.size() && keys[end].same_group(keys[i])) ++end;
    if (!(keys[i].normal & 1)) {
      i = end;
      continue;
    }
    double flux[3] = {0, 0, 0}, centre[3] = {0, 0, 0}, weight = 0;
    for (size_t j = i; j < end; ++j) {
      const StoredPhoton &p = photons[keys[j].index];
      double w = double(p.energy[0]) + p.energy[1] + p.energy[2];
      for (int a = 0; a < 3; ++a) flux[a] += p.energy[a], centre[a] += w * p.position[a];
      weight += w;
    }
    const StoredPhoton &first = photons[keys[i].index];
    V3 n = decode_direction(first.normal);
    MapRecord m{{first.position[0], first.position[1], first.position[2]},
                {},
                {float(n.x), float(n.y), float(n.z)}};
    for (int a = 0; a < 3; ++a) {
      m.energy[a] = static_cast<float>(flux[a]);
      if (weight > 0) m.position[a] = static_cast<float>(centre[a] / weight);
    }
    merged.push_back(m);
    i = end;
  }
  return merged;
}

} // namespace

void build_caustic_map(std::vector<StoredPhoton> stored, double radius, CausticMap *map) {
  *map = CausticMap{};
  if (stored.empty() || !(radius > 0)) return;
  std::vector<MapRecord> photons = merge_photons(stored, radius / kMergeCells);
  const size_t stored_count = stored.size();
  std::vector<StoredPhoton>().swap(stored);
  if (photons.empty()) return;
  map->radius = static_cast<float>(radius);
  map->inv_cell = 1 / (kCellRadii * map->radius);
  for (int a = 0; a < 3; ++a) {
    float lo = photons[0].position[a], hi = lo;
    for (const MapRecord &p : photons)
      lo = std::min(lo, p.position[a]), hi = std::max(hi, p.position[a]);
    map->origin[a] = lo, map->top[a] = hi;
  }
  // A power of two of four slots a record, so that a lookup's cells seldom
  // share their slots with other cells' records, but no more than one a
  // stored photon, which the memory budget holds: merging leaves far fewer
  // records than photons wherever the caustic is bright.
  size_t slots = 64;
  while (slots < 4 * photons.size() && slots < stored_count) slots <<= 1;
  std::vector<uint32_t> slot(photons.size());
  std::vector<uint32_t> starts(slots + 1, 0);
  for (size_t i = 0; i < photons.size(); ++i) {
    const double p[3] = {photons[i].position[0], photons[i].position[1], photons[i].position[2]};
    slot[i] = slot_of(cell_of(*map, p), slots);
    ++starts[slot[i] + 1];
  }
  for (size_t s = 0; s < slots; ++s) starts[s + 1] += starts[s];
  // A counting sort: stable, so a slot keeps its photons in photon order.
  std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
  map->photons.resize(photons.size());
  for (size_t i = 0; i < photons.size(); ++i) map->photons[next[slot[i]]++] = photons[i];
  map->starts = std::move(starts);
}

Colour caustic_estimate(const CausticMap &map, V3 point, V3 normal) {
  if (map.photons.empty()) return {0, 0, 0, 1};
  const double q[3] = {point.x, point.y, point.z};
  const double r = map.radius, r2 = r * r;
  const double lo[3] = {q[0] - r, q[1] - r, q[2] - r}, hi[3] = {q[0] + r, q[1] + r, q[2] + r};
  // Most lookups of a scene lie far from every photon: they end here, and the
  // cells below stay within the photons' box.
  for (int i = 0; i < 3; ++i)
    if (!(hi[i] >= map.origin[i] && lo[i] <= map.top[i])) return {0, 0, 0, 1};
  // Cells outside the photons' box hold none (a floor's photons fill one
  // layer of cells).
  Cell a = cell_of(map, lo), b = cell_of(map, hi), top = cell_of(map, map.top);
  a = {std::max<int64_t>(a.x, 0), std::max<int64_t>(a.y, 0), std::max<int64_t>(a.z, 0)};
  b = {std::min(b.x, top.x), std::min(b.y, top.y), std::min(b.z, top.z)};
  size_t slots = map.starts.size() - 1;
  // The disc spans at most two cells per axis; a slot reached twice (two
  // cells sharing it) must be read once. The slots' ranges are read first,
  // and their first records fetched, all before any is summed: the lookups'
  // time is spent waiting on memory, and this way the waits overlap.
  uint32_t seen[8], first[8], end[8];
  int n_seen = 0;
  for (int64_t z = a.z; z <= b.z; ++z)
    for (int64_t y = a.y; y <= b.y; ++y)
      for (int64_t x = a.x; x <= b.x; ++x) {
        uint32_t s = slot_of({x, y, z}, slots);
        if (std::find(seen, seen + n_seen, s) != seen + n_seen) continue;
        seen[n_seen++] = s;
      }
  for (int k = 0; k < n_seen; ++k) {
    first[k] = map.starts[seen[k]];
    end[k] = map.starts[seen[k] + 1];
    __builtin_prefetch(map.photons.data() + first[k]);
  }
  double sum[3] = {0, 0, 0};
  for (int k = 0; k < n_seen; ++k)
    for (uint32_t i = first[k]; i < end[k]; ++i) {
      const MapRecord &p = map.photons[i];
      double dx = p.position[0] - q[0], dy = p.position[1] - q[1], dz = p.position[2] - q[2];
      double d2 = dx * dx + dy * dy + dz * dz;
      if (!(d2 < r2)) continue;
      // On a surface facing the same way, from the front.
      if (p.normal[0] * normal.x + p.normal[1] * normal.y + p.normal[2] * normal.z <
          kSameSurfaceCos)
        continue;
      double w = 1 - d2 / r2;
      sum[0] += w * p.energy[0], sum[1] += w * p.energy[1], sum[2] += w * p.energy[2];
    }
  // Normalised Epanechnikov kernel, 2 / (pi r^2), and the 1 / pi that turns
  // irradiance into radiance per unit albedo.
  double k = 2 / (kPi * r2) * kInvPi;
  return {float(sum[0] * k), float(sum[1] * k), float(sum[2] * k), 1};
}

CausticLookup caustic_lookup(const CausticMap &map) {
  CausticLookup c;
  if (!map.photons.empty()) {
    c.map = &map;
    c.irradiance = lookup;
  }
  return c;
}

size_t caustic_map_bytes(const CausticMap &map) {
  return map.photons.capacity() * sizeof(MapRecord) + map.starts.capacity() * sizeof(uint32_t);
}

} // namespace vr
