// The renderer's one table of GlassParams fields against the module's header.
#include <gtest/gtest.h>
#include <string>

#include "scene/params_table.h"

namespace vr {
namespace {

// The header's own view of each field, expanded here independently of the table.
struct HeaderField {
  const char *name;
  size_t offset, size;
  FieldType type;
};
template <typename T>
FieldType type_in_header() {
  if (std::is_same_v<T, Colour>) return FieldType::Colour;
  if (std::is_same_v<T, Vector>) return FieldType::Vector;
  if (std::is_same_v<T, int32_t>) return FieldType::Integer;
  return FieldType::Scalar;
}
#define HEADER_ROW(type, name)                                                                     \
  {#name, offsetof(GlassParams, name), sizeof(type), type_in_header<type>()},
const HeaderField kHeader[] = {VITREL_GLASS_PARAMS(HEADER_ROW)};
#undef HEADER_ROW

TEST(ParamsTable, MatchesTheHeaderRowForRow) {
  ASSERT_EQ(kGlassFieldCount, std::size(kHeader));
  ASSERT_EQ(kGlassFieldCount, 37u);
  for (size_t i = 0; i < kGlassFieldCount; ++i) {
    SCOPED_TRACE(kHeader[i].name);
    EXPECT_EQ(std::string(kGlassFields[i].name), kHeader[i].name);
    EXPECT_EQ(kGlassFields[i].offset, kHeader[i].offset);
    EXPECT_EQ(kGlassFields[i].size, kHeader[i].size);
    EXPECT_EQ(kGlassFields[i].type, kHeader[i].type);
  }
}

TEST(ParamsTable, FieldsTileTheRecordUpToTheLights) {
  size_t expected = 0;
  for (size_t i = 0; i < kGlassFieldCount; ++i) {
    const ParamField &f = kGlassFields[i];
    EXPECT_EQ(f.offset, expected) << f.name;
    size_t width = f.type == FieldType::Colour ? 16 : f.type == FieldType::Vector ? 12 : 4;
    EXPECT_EQ(f.size, width) << f.name;
    expected = f.offset + f.size;
  }
  EXPECT_EQ(expected, offsetof(GlassParams, lights));
  EXPECT_EQ(sizeof(GlassParams), offsetof(GlassParams, lights) + sizeof(Tag));
}

TEST(ParamsTable, KnownPlacesAndLookups) {
  // Offsets a scene declaration for the shaders relies on.
  EXPECT_EQ(find_glass_field("inside_color")->offset, 0u);
  EXPECT_EQ(find_glass_field("ior")->offset, 32u);
  EXPECT_EQ(find_glass_field("split_depth")->offset, 76u);
  EXPECT_EQ(find_glass_field("front_color")->offset, 80u);
  EXPECT_EQ(find_glass_field("replacement_normal")->offset, 216u);
  EXPECT_EQ(find_glass_field("light_count")->offset, 236u);
  EXPECT_EQ(offsetof(GlassParams, lights), 240u);
  EXPECT_EQ(find_glass_field("samples")->type, FieldType::Integer);
  EXPECT_EQ(find_glass_field("replacement_normal")->type, FieldType::Vector);
  EXPECT_EQ(find_glass_field("lights"), nullptr); // the array is handled apart
  EXPECT_EQ(find_glass_field("iro"), nullptr);
}

} // namespace
} // namespace vr
