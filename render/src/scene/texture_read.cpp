#include "scene/texture_read.h"

#include <cstring>

#include "scene/params_table.h"

namespace vr {

bool is_texture(const Node &node) {
  return node.value.is_object() && node.value.contains("texture");
}

namespace {

// One value of a field's type, held in a Colour (numbers in every channel,
// vectors in r, g, b).
Colour read_typed_value(const Node &node, FieldType type) {
  switch (type) {
  case FieldType::Colour:
    return read_colour(node);
  case FieldType::Vector: {
    if (!node.value.is_array() || node.value.size() != 3) fail(node, "an array of 3 numbers");
    return {read_float(element(node, 0)), read_float(element(node, 1)),
            read_float(element(node, 2)), 0};
  }
  case FieldType::Integer: {
    float v = static_cast<float>(read_int_in(node, -2147483647LL, 2147483647LL));
    return {v, v, v, v};
  }
  case FieldType::Scalar:
    break;
  }
  float v = read_float(node);
  return {v, v, v, v};
}

} // namespace

void write_field_value(GlassParams &params, const ParamField &field, const Node &node) {
  char *at = reinterpret_cast<char *>(&params) + field.offset;
  if (field.type == FieldType::Integer) {
    // Booleans of the record are integers too; true and false read as 1 and 0.
    int32_t i = node.value.is_boolean() ? node.value.get<bool>()
                                        : read_int_in(node, -2147483647LL - 1, 2147483647LL);
    std::memcpy(at, &i, sizeof i);
    return;
  }
  Colour v = read_typed_value(node, field.type);
  std::memcpy(at, &v, field.size); // a scalar takes r, a vector r, g, b, a colour all four
}

Texture read_texture(const Node &node, FieldType type) {
  check_object(node, {"texture", "values", "scale", "octaves"});
  Texture t;
  Node kind = member(node, "texture");
  std::string name = read_string(kind);
  if (name == "checker")
    t.kind = TextureKind::Checker;
  else if (name == "noise")
    t.kind = TextureKind::Noise;
  else
    fail(kind, "\"checker\" or \"noise\"");

  Node values = member(node, "values");
  if (array_size(values) != 2)
    fail(values, std::string("an array of two values, each ") + field_type_name(type));
  t.a = read_typed_value(element(values, 0), type);
  t.b = read_typed_value(element(values, 1), type);
  if (has(node, "scale")) t.scale = read_number_in(member(node, "scale"), 1e-6, 1e6);
  t.octaves = t.kind == TextureKind::Noise ? 4 : 1;
  if (has(node, "octaves")) t.octaves = read_int_in(member(node, "octaves"), 1, 8);
  return t;
}

ColourSource read_colour_source(const Node &node) {
  ColourSource source;
  if (is_texture(node)) {
    source.textured = true;
    source.texture = read_texture(node, FieldType::Colour);
  } else {
    source.constant = read_colour(node);
  }
  return source;
}

} // namespace vr
