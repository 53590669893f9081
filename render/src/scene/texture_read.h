// Textures in scene files: {"texture": "checker" | "noise", "values": [A, B],
// "scale": s, "octaves": n}, where A and B have the type of what is textured.
#ifndef VITREL_RENDER_SCENE_TEXTURE_READ_H
#define VITREL_RENDER_SCENE_TEXTURE_READ_H

#include "scene/json_read.h"
#include "scene/scene.h"

namespace vr {

bool is_texture(const Node &node);
Texture read_texture(const Node &node, FieldType type);
struct ParamField;
// Writes a constant value of the field's type into the record.
void write_field_value(GlassParams &params, const ParamField &field, const Node &node);

// A constant colour or a texture.
ColourSource read_colour_source(const Node &node);

} // namespace vr

#endif
