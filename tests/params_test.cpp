// The parameter record's layout and the rule by which every field is read.
#include <gtest/gtest.h>

#include <cstddef>

#include "host/scripted_host.h"
#include "shader/param_eval.h"

namespace {

using testhost::host;

TEST(ParamLayout, FieldsFollowEachOtherWithoutPadding) {
  size_t expected = 0;
#define CHECK_OFFSET(type, name)                                                                   \
  EXPECT_EQ(offsetof(GlassParams, name), expected) << #name;                                       \
  expected += sizeof(type);
  VITREL_GLASS_PARAMS(CHECK_OFFSET)
#undef CHECK_OFFSET
  EXPECT_EQ(offsetof(GlassParams, lights), expected);
  EXPECT_EQ(sizeof(GlassParams), expected + sizeof(Tag));
  EXPECT_EQ(expected, 7 * 16u + 1 * 12u + 29 * 4u); // 7 colours, 1 vector, 29 scalars
}

TEST(ParamLayout, HostRecordsHaveTheirLeadingFieldsWhereHostsPutThem) {
  EXPECT_EQ(sizeof(Colour), 16u);
  EXPECT_EQ(sizeof(Vector), 12u);
  EXPECT_EQ(sizeof(Tag), 4u);
  EXPECT_EQ(offsetof(HostShader, interface_offset), 0u);
  EXPECT_EQ(offsetof(HostCamera, camera_volume), 0u);
  EXPECT_EQ(offsetof(HostOptions, refraction_depth_limit), 4u);
}

class ParamEval : public ::testing::Test {
protected:
  void SetUp() override {
    host().reset();
    host().mi_phen_eval = [this](HostState *s, void *field) -> void * {
      EXPECT_EQ(s, &sb.state);
      evaluated.push_back(field);
      return &replacement;
    };
  }
  testhost::ParamBlock block;
  testhost::StateBlock sb;
  std::vector<void *> evaluated;
  Colour replacement{9.0f, 8.0f, 7.0f, 6.0f};
};

TEST_F(ParamEval, WithoutInterfaceOffsetEveryFieldIsReadInPlace) {
  block.connect(&block.params.ior); // a flag is meaningless without the offset
  block.params.ior = 1.33f;
  EXPECT_EQ(glass::param(&sb.state, block.params.ior), 1.33f);
  EXPECT_EQ(&glass::param(&sb.state, block.params.inside_color), &block.params.inside_color);
  EXPECT_TRUE(host().calls.empty());
}

TEST_F(ParamEval, OnlyConnectedFieldsAskTheHost) {
  sb.connect_interface(block);
  block.connect(&block.params.inside_color);
  block.params.outside_color = {0.5f, 0.5f, 0.5f, 1.0f};

  const Colour &inside = glass::param(&sb.state, block.params.inside_color);
  EXPECT_EQ(&inside, &replacement);
  EXPECT_EQ(inside.b, 7.0f);
  // Its unconnected neighbour is read in place.
  EXPECT_EQ(&glass::param(&sb.state, block.params.outside_color), &block.params.outside_color);
  ASSERT_EQ(evaluated.size(), 1u);
  EXPECT_EQ(evaluated[0], &block.params.inside_color);
}

TEST_F(ParamEval, EveryReadEvaluatesAgainAndRereadsTheOffset) {
  sb.connect_interface(block);
  block.connect(&block.params.opacity);
  glass::param(&sb.state, block.params.opacity);
  glass::param(&sb.state, block.params.opacity);
  EXPECT_EQ(evaluated.size(), 2u);
  // The host may drop the connections between two reads.
  sb.shader.interface_offset = 0;
  glass::param(&sb.state, block.params.opacity);
  EXPECT_EQ(evaluated.size(), 2u);
}

TEST_F(ParamEval, AnyNonzeroFlagConnects) {
  sb.connect_interface(block);
  block.connect(&block.params.samples, -1);
  block.connect(&block.params.blur, 0);
  glass::param(&sb.state, block.params.samples);
  glass::param(&sb.state, block.params.blur);
  ASSERT_EQ(evaluated.size(), 1u);
  EXPECT_EQ(evaluated[0], &block.params.samples);
}

TEST_F(ParamEval, LightsEvaluateToTheirFirstElement) {
  sb.connect_interface(block);
  block.connect(&block.params.lights);
  Tag host_lights[3] = {11, 12, 13};
  host().mi_phen_eval = [&](HostState *, void *field) -> void * {
    evaluated.push_back(field);
    return host_lights;
  };
  const Tag *lights = &glass::param(&sb.state, block.params.lights[0]);
  EXPECT_EQ(lights, host_lights);
  EXPECT_EQ(evaluated.at(0), &block.params.lights[0]);
}

TEST_F(ParamEval, HostThatCannotEvaluateLeavesTheConstant) {
  sb.connect_interface(block);
  block.connect(&block.params.ior);
  block.params.ior = 1.7f;
  host().mi_phen_eval = [](HostState *, void *) -> void * { return nullptr; };
  EXPECT_EQ(glass::param(&sb.state, block.params.ior), 1.7f);
  EXPECT_EQ(host().count("mi_phen_eval"), 1u);
}

TEST_F(ParamEval, StateWithoutShaderRecordReadsInPlace) {
  sb.state.shader = nullptr;
  EXPECT_EQ(&glass::param(&sb.state, block.params.ior), &block.params.ior);
  EXPECT_TRUE(host().calls.empty());
}

} // namespace
