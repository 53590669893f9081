// The one description of GlassParams the renderer uses: names, types and
// offsets, generated from the module's own field list.
#ifndef VITREL_RENDER_SCENE_PARAMS_TABLE_H
#define VITREL_RENDER_SCENE_PARAMS_TABLE_H

#include <cstddef>
#include <string_view>

#include "scene/scene.h"

namespace vr {

struct ParamField {
  const char *name;
  FieldType type;
  size_t offset;
  size_t size;
};

// Every field except the trailing `lights` array, in declaration order.
extern const ParamField kGlassFields[];
extern const size_t kGlassFieldCount;

// Null when the record has no field of that name.
const ParamField *find_glass_field(std::string_view name);
const char *field_type_name(FieldType type);

} // namespace vr

#endif
