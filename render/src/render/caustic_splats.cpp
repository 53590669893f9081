#include "render/caustic_splats.h"

#include <algorithm>
#include <cmath>

#include "core/vec.h"

namespace vr {

Region splat_gathering_region(const Region &image, int frame_width, int frame_height,
                              bool smoothing) {
  if (!smoothing) return image;
  int reach = kSplatMaxRadius + kSplatDensityReach + 1;
  return {std::max(0, image.x0 - reach), std::max(0, image.y0 - reach),
          std::min(frame_width, image.x1 + reach), std::min(frame_height, image.y1 + reach)};
}

namespace {

// Photons per pixel around the pixels of the gathering region, from a
// summed-area table of the splats per pixel.
struct Density {
  Region region;
  int frame_width, frame_height;
  std::vector<uint32_t> table; // (width + 1) x (height + 1): the splats above and left

  double around(int x, int y) const {
    const int reach = kSplatDensityReach;
    int x0 = std::max(x - reach, 0), x1 = std::min(x + reach + 1, frame_width);
    int y0 = std::max(y - reach, 0), y1 = std::min(y + reach + 1, frame_height);
    // A window pixel outside the gathering region lies outside the frame
    // too (the region reaches past every splat's window), so the count is
    // the same in any crop.
    auto at = [&](int px, int py) {
      px = std::clamp(px - region.x0, 0, region.width());
      py = std::clamp(py - region.y0, 0, region.height());
      return double(table[size_t(py) * (size_t(region.width()) + 1) + size_t(px)]);
    };
    double count = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
    return count / ((x1 - x0) * (y1 - y0));
  }
};

Density count_splats(const std::vector<Splat> &splats, const Region &region, int frame_width,
                     int frame_height) {
  Density d{region, frame_width, frame_height, {}};
  size_t w = size_t(region.width()) + 1;
  d.table.assign(w * (size_t(region.height()) + 1), 0);
  for (const Splat &s : splats) {
    auto x = static_cast<size_t>(static_cast<int>(s.x) - region.x0 + 1);
    auto y = static_cast<size_t>(static_cast<int>(s.y) - region.y0 + 1);
    ++d.table[y * w + x];
  }
  for (size_t y = 1; y < size_t(region.height()) + 1; ++y)
    for (size_t x = 1; x < w; ++x)
      d.table[y * w + x] +=
          d.table[y * w + x - 1] + d.table[(y - 1) * w + x] - d.table[(y - 1) * w + x - 1];
  return d;
}

} // namespace

void add_splats(const std::vector<Splat> &splats, double photons_per_disc, Framebuffer *fb) {
  const Region &r = fb->region;
  auto add = [&](int x, int y, const Splat &s, double share) {
    if (x < r.x0 || x >= r.x1 || y < r.y0 || y >= r.y1) return;
    float *p = &fb->rgba[(size_t(y - r.y0) * size_t(r.width()) + size_t(x - r.x0)) * 4];
    for (int c = 0; c < 3; ++c) p[c] += static_cast<float>(s.rgb[c] * share);
  };
  if (!(photons_per_disc > 0)) {
    for (const Splat &s : splats) add(static_cast<int>(s.x), static_cast<int>(s.y), s, 1);
    return;
  }
  Region gathered = splat_gathering_region(r, fb->full_width, fb->full_height, true);
  Density density = count_splats(splats, gathered, fb->full_width, fb->full_height);
  const double widest = double(kSplatMaxRadius) * kSplatMaxRadius;
  for (const Splat &s : splats) {
    int px = static_cast<int>(s.x), py = static_cast<int>(s.y);
    double radius2 = std::min(widest, photons_per_disc / (kPi * density.around(px, py)));
    if (radius2 <= 0.25) {
      add(px, py, s, 1);
      continue;
    }
    double radius = std::sqrt(radius2);
    int x0 = std::max(0, static_cast<int>(std::floor(s.x - radius)));
    int x1 = std::min(fb->full_width - 1, static_cast<int>(std::floor(s.x + radius)));
    int y0 = std::max(0, static_cast<int>(std::floor(s.y - radius)));
    int y1 = std::min(fb->full_height - 1, static_cast<int>(std::floor(s.y + radius)));
    auto weight = [&](int x, int y) {
      double dx = x + 0.5 - s.x, dy = y + 0.5 - s.y;
      return std::max(0.0, 1 - (dx * dx + dy * dy) / radius2);
    };
    double total = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) total += weight(x, y);
    if (!(total > 0)) {
      add(px, py, s, 1);
      continue;
    }
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (double w = weight(x, y); w > 0) add(x, y, s, w / total);
  }
}

} // namespace vr
