// The module as a renderer loads it: its exports, their fixed answers, the
// ray types declined before any work, and the stubs kept out of sight.
#include <gtest/gtest.h>

#include <cstring>

#include "host/platform.h"
#include "host/scripted_host.h"

namespace {

using testhost::host;
using testhost::module;

class Entry : public ::testing::Test {
protected:
  void SetUp() override {
    host().reset();
    testhost::rebind_to_self();
  }
  testhost::ParamBlock block;
  testhost::StateBlock sb;
};

TEST_F(Entry, VersionsAnswerOne) {
  EXPECT_EQ(module().version(), 1);
  EXPECT_EQ(module().photon_version(), 1);
}

TEST_F(Entry, ShaderWideInitDeclinesInstanceInits) {
  for (auto init : {module().init, module().photon_init}) {
    int request = 1;
    init(&sb.state, nullptr, &request);
    EXPECT_EQ(request, 0);
    // A per-instance call (parameters given) leaves the request alone.
    request = 7;
    init(&sb.state, &block.params, &request);
    EXPECT_EQ(request, 7);
  }
  // Nothing to do at exit, and no host call anywhere in the life cycle.
  module().exit(&sb.state, &block.params);
  module().photon_exit(nullptr, nullptr);
  EXPECT_TRUE(host().calls.empty());
}

TEST_F(Entry, UnshadedRayTypesAreDeclinedUntouched) {
  // Every parameter connected: a single read would reach the host.
  sb.connect_interface(block);
  block.connect(&block.params.replacement_normal);
  block.connect(&block.params.opacity);
  for (int type : {4, 5, 16}) {
    for (auto shade : {module().shade, module().shade_photon}) {
      sb.state.ray_type = type;
      Colour result{0.1f, 0.2f, 0.3f, 0.4f};
      EXPECT_EQ(shade(&result, &sb.state, &block.params), 0) << "ray type " << type;
      EXPECT_EQ(result.r, 0.1f);
      EXPECT_EQ(result.g, 0.2f);
      EXPECT_EQ(result.b, 0.3f);
      EXPECT_EQ(result.a, 0.4f);
    }
  }
  EXPECT_TRUE(host().calls.empty());
}

TEST_F(Entry, MissingArgumentsShadeNothing) {
  Colour result{0.5f, 0.5f, 0.5f, 0.5f};
  EXPECT_EQ(module().shade(nullptr, &sb.state, &block.params), 0);
  EXPECT_EQ(module().shade(&result, nullptr, &block.params), 0);
  EXPECT_EQ(module().shade_photon(&result, &sb.state, nullptr), 0);
  EXPECT_EQ(result.r, 0.5f);
  EXPECT_TRUE(host().calls.empty());
}

TEST_F(Entry, HostOperationStubsAreNotExported) {
  // The stubs bear the operations' own names; were they visible they could
  // interpose on the renderer's symbols or be found by the module's lookup.
#define EXPECT_HIDDEN(slot, ret, name, params, args)                                               \
  EXPECT_EQ(testhost::find_symbol(module().handle, #name), nullptr) << #name;                                      \
  EXPECT_NE(testhost::find_in_process(#name), nullptr) << #name;
  VITREL_HOST_OPERATIONS(EXPECT_HIDDEN)
#undef EXPECT_HIDDEN
  for (const char *internal : {"vitrel_dl_table", "vitrel_bind", "dl_handle"})
    EXPECT_EQ(testhost::find_symbol(module().handle, internal), nullptr) << internal;
}

} // namespace
