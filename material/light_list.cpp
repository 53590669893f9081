#include "../host/ops.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

namespace {
enum LightMode : int32_t { kInclusive = 1, kExclusive = 2 };
}

LightList settle_light_list(HostState *state, const GlassParams *params) {
  const int32_t mode = param(state, params->light_mode);
  const int32_t index = param(state, params->light_index);
  const int32_t count = param(state, params->light_count);
  // The renderer keeps the array's further elements right after the record.
  Tag *lights = const_cast<Tag *>(&param(state, params->lights[0]));
  LightList list{lights + index, count};
  // An inclusive or exclusive list is the renderer's to resolve: it may hand
  // back another start and count in place.
  if (mode == kInclusive)
    mi_inclusive_lightlist(&list.count, &list.start, state);
  else if (mode == kExclusive)
    mi_exclusive_lightlist(&list.count, &list.start, state);
  return list;
}

} // namespace vt
