/* The parameter record of both glass shaders, `vitrel` and `vitrel_photon`.
 *
 * The renderer lays the values out from the scene's shader declaration, so the
 * field order and widths are a contract: a declaration written for these
 * shaders lists the same fields, with the same types, in the same order. Every
 * field is 4-byte aligned and 4 bytes wide or a multiple of it, so the record
 * has no padding anywhere. `lights` is last; the host lays its further elements
 * right after the record, which is therefore never copied.
 *
 * VITREL_GLASS_PARAMS is the one list of the fields, X(type, name), in
 * declaration order, without the trailing `lights` array. */
#ifndef VITREL_SHADER_PARAMS_H
#define VITREL_SHADER_PARAMS_H

#include "host/state.h"

#define VITREL_GLASS_PARAMS(X)                                                                     \
  X(Colour, inside_color)                                                                          \
  X(Colour, outside_color)                                                                         \
  X(float, ior)                                                                                    \
  X(float, outside_ior)                                                                            \
  X(float, inside_density)                                                                         \
  X(float, outside_density)                                                                        \
  X(int32_t, outside_medium)                                                                       \
  X(float, specular)                                                                               \
  X(float, specular_exponent)                                                                      \
  X(float, reflection_boost)                                                                       \
  X(float, falloff_start)                                                                          \
  X(float, falloff_stop)                                                                           \
  X(int32_t, falloff)                                                                              \
  X(int32_t, split_depth)                                                                          \
  X(Colour, front_color)                                                                           \
  X(Colour, back_color)                                                                            \
  X(int32_t, illuminate)                                                                           \
  X(Colour, irradiance_color)                                                                      \
  X(float, opacity)                                                                                \
  X(int32_t, samples)                                                                              \
  X(int32_t, blur_depth)                                                                           \
  X(float, blur)                                                                                   \
  X(float, dispersion)                                                                             \
  X(float, spectrum_weight)                                                                        \
  X(Colour, photon_diffuse_color)                                                                  \
  X(Colour, photon_specular_color)                                                                 \
  X(float, photon_ior)                                                                             \
  X(float, photon_outside_ior)                                                                     \
  X(int32_t, photon_own_ior)                                                                       \
  X(int32_t, photon_dispersion_off)                                                                \
  X(int32_t, photon_blur_off)                                                                      \
  X(int32_t, invert_alpha)                                                                         \
  X(int32_t, single_path_mode)                                                                     \
  X(Vector, replacement_normal)                                                                    \
  X(int32_t, light_mode)                                                                           \
  X(int32_t, light_index)                                                                          \
  X(int32_t, light_count)

#ifdef __cplusplus
extern "C" {
#endif

#define VITREL_PARAM_FIELD(type, name) type name;
typedef struct {
  VITREL_GLASS_PARAMS(VITREL_PARAM_FIELD)
  Tag lights[1]; /* element i of the used list is lights[light_index + i] */
} GlassParams;
#undef VITREL_PARAM_FIELD

#ifdef __cplusplus
}
#endif

#endif
