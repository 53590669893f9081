#include "shading/connections.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "shading/textures.h"

namespace vr {

namespace {

[[maybe_unused]] size_t value_bytes(FieldType type) {
  return type == FieldType::Colour   ? sizeof(Colour)
         : type == FieldType::Vector ? sizeof(Vector)
                                     : sizeof(int32_t);
}

} // namespace

void *evaluate_field(RenderState &s, void *field) {
  if (s.object < 0) return field;
  const GlassMaterial &glass = s.thread->rc->scene->objects[s.object].material.glass;
  const char *base = reinterpret_cast<const char *>(glass.block.data());
  const char *at = static_cast<const char *>(field);
  if (glass.block.empty() || at < base || at >= base + sizeof(GlassParams)) return field;
  size_t offset = static_cast<size_t>(at - base);
  for (const ParamConnection &c : glass.connections) {
    if (c.offset != offset) continue;
    Colour v = eval_texture(c.texture, s.u, s.v, s.object_point);
    // Connections are made to fields of the record only, so the value fits
    // the state's copy of the record at the field's own offset.
    assert(offset + value_bytes(c.type) <= sizeof s.values);
    unsigned char *out = s.values + offset;
    switch (c.type) {
    case FieldType::Colour:
      std::memcpy(out, &v, sizeof(Colour));
      break;
    case FieldType::Vector:
      std::memcpy(out, &v, sizeof(Vector));
      break;
    case FieldType::Scalar:
      std::memcpy(out, &v.r, sizeof(float));
      break;
    case FieldType::Integer: {
      int32_t i = static_cast<int32_t>(std::lround(v.r));
      std::memcpy(out, &i, sizeof i);
      break;
    }
    }
    return out;
  }
  return field;
}

} // namespace vr
