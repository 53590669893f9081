// The module as a renderer loads it: its exports, their fixed answers, the
// ray types declined before any work, and the stubs kept out of sight.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

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
  EXPECT_EQ(testhost::find_symbol(module().handle, #name), nullptr) << #name;                      \
  EXPECT_NE(testhost::find_in_process(#name), nullptr) << #name;
  VITREL_HOST_OPERATIONS(EXPECT_HIDDEN)
#undef EXPECT_HIDDEN
  for (const char *internal : {"vitrel_dl_table", "vitrel_bind", "dl_handle"})
    EXPECT_EQ(testhost::find_symbol(module().handle, internal), nullptr) << internal;
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(Entry, NullModuleHandleGivesDefinedResults) {
  module().set_module_handle(nullptr);
  Colour result{0.3f, 0.3f, 0.3f, 0.3f};
  testing::internal::CaptureStderr();
  const int answer = module().shade(&result, &sb.state, &block.params);
  const std::vector<std::string> lines = lines_of(testing::internal::GetCapturedStderr());
  testhost::rebind_to_self();

  EXPECT_EQ(answer, 1);
  ASSERT_FALSE(lines.empty());
  size_t missing_handle = 0, failed = 0;
  for (const std::string &line : lines) {
    if (line == "DYNLOAD: dl_handle null") {
      ++missing_handle;
    } else {
      ++failed;
      EXPECT_EQ(line.rfind("dlsym failed on \"mi_", 0), 0u) << line;
      EXPECT_NE(line.find("\" (handle: 00000000 error: 127)"), std::string::npos) << line;
    }
  }
#if defined(_WIN32)
  // GetProcAddress reads a null module as the running program, which exports
  // the operations: every one binds, after the missing handle is reported.
  EXPECT_EQ(failed, 0u);
  EXPECT_EQ(missing_handle, host().calls.size());
  EXPECT_FALSE(host().calls.empty());
#else
  // A null handle names no module: every operation is missing, and the glass
  // is black rather than garbage.
  EXPECT_EQ(failed, missing_handle);
  EXPECT_TRUE(host().calls.empty());
  EXPECT_EQ(result.r, 0.0f);
  EXPECT_EQ(result.g, 0.0f);
  EXPECT_EQ(result.b, 0.0f);
  EXPECT_EQ(result.a, 0.0f);
#endif
}

} // namespace
