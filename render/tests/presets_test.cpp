// The presets data file and glass materials built from it.
#include <cstring>
#include <gtest/gtest.h>

#include "core/error.h"
#include "scene/glass_material.h"
#include "scene/json_read.h"
#include "scene/params_table.h"
#include "scene/presets.h"

namespace vr {
namespace {

const GlassParams &preset(const char *name) {
  const Preset *p = find_preset(builtin_presets(), name);
  EXPECT_NE(p, nullptr) << name;
  static GlassParams none{};
  return p ? p->values : none;
}

// Names of the fields in which two records differ.
std::vector<std::string> differing_fields(const GlassParams &a, const GlassParams &b) {
  std::vector<std::string> out;
  for (size_t i = 0; i < kGlassFieldCount; ++i) {
    const ParamField &f = kGlassFields[i];
    if (std::memcmp(reinterpret_cast<const char *>(&a) + f.offset,
                    reinterpret_cast<const char *>(&b) + f.offset, f.size) != 0)
      out.push_back(f.name);
  }
  return out;
}

TEST(Presets, TheFiveLooksAndWhatSetsThemApart) {
  EXPECT_EQ(builtin_presets().size(), 5u);
  const GlassParams &clear = preset("clear");
  EXPECT_FLOAT_EQ(clear.ior, 1.5f);
  EXPECT_EQ(clear.samples, 0);
  EXPECT_FLOAT_EQ(clear.opacity, 0);
  // Frosted is clear glass with blur: with sampling off it must render as clear.
  EXPECT_EQ(differing_fields(clear, preset("frosted")),
            (std::vector<std::string>{"samples", "blur"}));
  EXPECT_GT(preset("frosted").blur, 0);
  EXPECT_LT(preset("tinted").inside_color.r, 1);
  EXPECT_GT(preset("crystal").dispersion, 0);
  EXPECT_GT(preset("crystal").samples, 0);
  EXPECT_GT(preset("coated").opacity, 0);
  // Every preset lights itself with all of its object's lights.
  for (const Preset &p : builtin_presets()) {
    EXPECT_EQ(p.values.light_mode, 2) << p.name;
    EXPECT_EQ(p.values.light_count, 0) << p.name;
  }
}

TEST(Presets, FileErrorsNameTheField) {
  auto message = [](const std::string &text) {
    try {
      parse_presets(text, "p.json");
    } catch (const InputError &e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message(R"({"defaults": {"ior": 1.5}, "presets": {"a": {}}})"),
            "p.json: defaults: missing the field inside_color");
  std::string all = R"({"defaults": {)";
  for (size_t i = 0; i < kGlassFieldCount; ++i) {
    const ParamField &f = kGlassFields[i];
    all += std::string(i ? "," : "") + "\"" + f.name + "\": " +
           (f.type == FieldType::Colour   ? "[1,1,1]"
            : f.type == FieldType::Vector ? "[0,0,0]"
                                          : "0");
  }
  all += "}, ";
  EXPECT_EQ(message(all + R"("presets": {"a": {"iro": 1}}})"),
            "p.json: presets.a.iro: unknown glass field");
  EXPECT_EQ(
      message(all + R"("presets": {"a": {"samples": 1.5}}})"),
      "p.json: presets.a.samples: expected an integer from -2147483648 to 2147483647, got 1.5");
  EXPECT_EQ(message(all + R"("presets": {"a": {"ior": "glass"}}})"),
            "p.json: presets.a.ior: expected a number, got the string \"glass\"");
  EXPECT_EQ(message(all + R"("presets": {"a": {"samples": 3}}})"), "no error");
}

GlassMaterial material(const std::string &text, const std::vector<Light> &lights = {}) {
  std::string file = "m.json";
  Json json = parse_json(text, file);
  return read_glass_material({json, "material", file}, builtin_presets(), lights);
}

TEST(GlassMaterial, FieldsOverrideThePresetAndLightsFollowTheRecord) {
  std::vector<Light> lights(3);
  lights[0].name = "key", lights[1].name = "fill", lights[2].name = "rim";
  GlassMaterial m = material(
      R"({"type": "glass", "preset": "tinted", "ior": 1.33, "illuminate": false, "lights": ["rim", "key"]})",
      lights);
  const GlassParams *p = glass_params(m);
  EXPECT_FLOAT_EQ(p->ior, 1.33f);
  EXPECT_EQ(p->illuminate, 0);
  EXPECT_FLOAT_EQ(p->inside_color.r, preset("tinted").inside_color.r);
  EXPECT_EQ(p->light_count, 2);
  EXPECT_EQ(p->lights[0], 3u); // tags are 1-based light indices
  EXPECT_EQ(p->lights[1], 1u);
  EXPECT_EQ(m.interface_offset, 0);
  EXPECT_EQ(m.block.size() * 4, sizeof(GlassParams) + sizeof(Tag));
}

TEST(GlassMaterial, TexturedFieldsSetTheirConnectionFlagOnly) {
  GlassMaterial m = material(
      R"({"type": "glass", "ior": {"texture": "checker", "values": [1.2, 1.8], "scale": 4}})");
  ASSERT_EQ(m.connections.size(), 1u);
  EXPECT_EQ(m.connections[0].offset, offsetof(GlassParams, ior));
  EXPECT_EQ(m.interface_offset, static_cast<int32_t>(sizeof(GlassParams)));
  const char *block = reinterpret_cast<const char *>(m.block.data());
  for (size_t i = 0; i < kGlassFieldCount; ++i) {
    int32_t flag;
    std::memcpy(&flag, block + kGlassFields[i].offset + m.interface_offset, sizeof flag);
    EXPECT_EQ(flag, kGlassFields[i].offset == offsetof(GlassParams, ior) ? 1 : 0)
        << kGlassFields[i].name;
  }
}

TEST(GlassMaterial, BadMaterialsAreRefused) {
  auto message = [](const std::string &text) {
    try {
      material(text);
    } catch (const InputError &e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message(R"({"type": "glass", "preset": "opal"})"),
            "m.json: material.preset: expected one of the presets clear, coated, crystal, frosted, "
            "tinted, got the string \"opal\"");
  EXPECT_EQ(message(R"({"type": "glass", "lights": ["sun"]})"),
            "m.json: material.lights[0]: expected the name of a light declared in \"lights\", got "
            "the string \"sun\"");
  EXPECT_EQ(message(R"({"type": "glass", "light_count": 2})"),
            "m.json: material.light_count: light_index and light_count must select lights within "
            "\"lights\" (0 listed)");
  EXPECT_EQ(message(R"({"type": "glass", "inside_color": [1, 1]})"),
            "m.json: material.inside_color: expected a colour [r, g, b] or [r, g, b, a], got an "
            "array of 2");
}

} // namespace
} // namespace vr
