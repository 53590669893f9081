#include "scene/params_table.h"

#include <cstddef>

namespace vr {

namespace {

template <typename T>
constexpr FieldType field_type_of();
template <>
constexpr FieldType field_type_of<Colour>() {
  return FieldType::Colour;
}
template <>
constexpr FieldType field_type_of<float>() {
  return FieldType::Scalar;
}
template <>
constexpr FieldType field_type_of<int32_t>() {
  return FieldType::Integer;
}
template <>
constexpr FieldType field_type_of<Vector>() {
  return FieldType::Vector;
}

} // namespace

#define VR_FIELD_ROW(type, name)                                                                   \
  ParamField{#name, field_type_of<type>(), offsetof(GlassParams, name), sizeof(type)},
const ParamField kGlassFields[] = {VITREL_GLASS_PARAMS(VR_FIELD_ROW)};
#undef VR_FIELD_ROW
const size_t kGlassFieldCount = sizeof kGlassFields / sizeof kGlassFields[0];

const ParamField *find_glass_field(std::string_view name) {
  for (size_t i = 0; i < kGlassFieldCount; ++i)
    if (name == kGlassFields[i].name) return &kGlassFields[i];
  return nullptr;
}

const char *field_type_name(FieldType type) {
  switch (type) {
  case FieldType::Colour:
    return "a colour [r, g, b] or [r, g, b, a]";
  case FieldType::Scalar:
    return "a number";
  case FieldType::Integer:
    return "an integer";
  case FieldType::Vector:
    return "a vector [x, y, z]";
  }
  return "a value";
}

} // namespace vr
