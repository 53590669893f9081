// Loading the shader module: the real one loads and answers; a missing file,
// a missing export or a wrong version stop with a message naming the fault.
#include <gtest/gtest.h>

#include "cli/cli.h"
#include "core/error.h"
#include "module/module.h"
#include "test_scenes.h"

namespace vr {
namespace {

std::string load_error(const std::string &path) {
  try {
    load_module(path);
  } catch (const ModuleError &e) {
    return e.what();
  }
  return "no error";
}

TEST(Module, TheRealModuleLoadsWithItsNineExports) {
  const ShaderModule &m = test::module();
  EXPECT_EQ(m.version(), 1);
  EXPECT_EQ(m.photon_version(), 1);
  EXPECT_NE(m.shade, nullptr);
  EXPECT_NE(m.shade_photon, nullptr);
}

TEST(Module, FaultsAreNamed) {
  EXPECT_EQ(
      load_error("/nonexistent/vitrel.so"),
      "shader module '/nonexistent/vitrel.so' not found (build it, or name it with --module)");
  EXPECT_EQ(load_error(VR_WRONG_VERSION_MODULE),
            std::string("shader module '") + VR_WRONG_VERSION_MODULE +
                "': vitrel_version answers 2, but this renderer speaks interface version 1");
  EXPECT_EQ(
      load_error(VR_MISSING_EXPORT_MODULE),
      std::string("shader module '") + VR_MISSING_EXPORT_MODULE +
          "' does not export 'vitrel_photon_exit'; it is not a vitrel module, or it is incomplete");
  std::string not_a_module = load_error(VR_TEST_DATA "/tetra.obj");
  EXPECT_EQ(not_a_module.rfind(std::string("cannot load shader module '") + VR_TEST_DATA, 0), 0u)
      << not_a_module;
}

TEST(Module, TheCommandLineStopsBeforeRendering) {
  std::string out = test::temp_path("never.png");
  for (const char *path :
       {"/nonexistent/vitrel.so", VR_WRONG_VERSION_MODULE, VR_MISSING_EXPORT_MODULE}) {
    std::vector<std::string> args = {"vitrel-render", "--module", path, "-o", out, "--quiet"};
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    EXPECT_EQ(run_cli(static_cast<int>(argv.size()), argv.data()), kExitModule) << path;
  }
  EXPECT_FALSE(test::file_exists(out));
}

// Counts the init and exit calls a module receives.
struct Calls {
  int init = 0, init_instance = 0, exit = 0, exit_instance = 0;
  int answer = 0;
} calls;
int count_init(HostState *, GlassParams *p, int *request) {
  (p ? calls.init_instance : calls.init)++;
  if (!p) *request = calls.answer;
  return 1;
}
void count_exit(HostState *, GlassParams *p) { (p ? calls.exit_instance : calls.exit)++; }

TEST(Module, InitAndExitOnceEachAndInstancesOnlyOnRequest) {
  ShaderModule m;
  m.init = m.photon_init = count_init;
  m.exit = m.photon_exit = count_exit;
  GlassParams a{}, b{};
  std::vector<GlassParams *> instances = {&a, &b};
  HostState state{};

  calls = {};
  ShaderSession s = start_shaders(m, &state, instances);
  end_shaders(m, s, &state, instances);
  EXPECT_EQ(calls.init, 2); // the material shader and the photon shader
  EXPECT_EQ(calls.exit, 2);
  EXPECT_EQ(calls.init_instance, 0);
  EXPECT_EQ(calls.exit_instance, 0);

  calls = {};
  calls.answer = 1; // both shaders ask for per-instance calls
  s = start_shaders(m, &state, instances);
  end_shaders(m, s, &state, instances);
  EXPECT_EQ(calls.init_instance, 4);
  EXPECT_EQ(calls.exit_instance, 4);
  EXPECT_EQ(calls.exit, 2);
}

TEST(Module, TheRealModuleDeclinesInstanceInits) {
  const ShaderModule &m = test::module();
  HostState state{};
  ShaderSession s = start_shaders(m, &state, {});
  EXPECT_FALSE(s.material_instances);
  EXPECT_FALSE(s.photon_instances);
  end_shaders(m, s, &state, {});
}

} // namespace
} // namespace vr
