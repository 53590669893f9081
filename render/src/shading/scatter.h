// Russian roulette among scatter colours, for mi_choose_simple_scatter_type.
#ifndef VITREL_RENDER_SHADING_SCATTER_H
#define VITREL_RENDER_SHADING_SCATTER_H

#include "shading/render_state.h"

namespace vr {

// Picks one of the non-null colours with probability proportional to its
// average (r + g + b) / 3, or absorption (type 8) with the probability left
// over when the averages sum to less than 1; when they sum to more, the
// probabilities are the averages' shares and nothing is absorbed. The chosen
// colour's r, g and b are divided by its probability, so the choice is
// unbiased. `u` is a uniform number in [0, 1).
int choose_scatter(double u, Colour *diffuse_reflection, Colour *specular_reflection,
                   Colour *diffuse_transmission, Colour *specular_transmission);

} // namespace vr

#endif
