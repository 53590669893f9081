#include "shading/scatter.h"

#include <algorithm>

namespace vr {

int choose_scatter(double u, Colour *diffuse_reflection, Colour *specular_reflection,
                   Colour *diffuse_transmission, Colour *specular_transmission) {
  Colour *colours[4] = {diffuse_reflection, specular_reflection, diffuse_transmission,
                        specular_transmission};
  const int types[4] = {VITREL_SCATTER_DIFFUSE_REFLECT, VITREL_SCATTER_SPECULAR_REFLECT,
                        VITREL_SCATTER_DIFFUSE_TRANSMIT, VITREL_SCATTER_SPECULAR_TRANSMIT};
  double p[4] = {0, 0, 0, 0}, total = 0;
  for (int i = 0; i < 4; ++i) {
    if (colours[i] != nullptr) p[i] = std::max(0.0, double(average_rgb(*colours[i])));
    total += p[i];
  }
  if (!(total > 0)) return VITREL_SCATTER_ABSORB;
  double scale = total > 1 ? 1 / total : 1;
  int last = -1;
  double acc = 0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] <= 0) continue;
    last = i;
    acc += p[i] * scale;
    if (u < acc) break;
  }
  // When nothing is absorbed, rounding must not let u slip past the last colour.
  if (u >= acc && total < 1) return VITREL_SCATTER_ABSORB;
  double prob = p[last] * scale;
  Colour &c = *colours[last];
  c.r = float(c.r / prob), c.g = float(c.g / prob), c.b = float(c.b / prob);
  return types[last];
}

} // namespace vr
