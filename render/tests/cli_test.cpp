// What the command line says back: numbers out of range name the range a
// person would write, and --version names the renderer and the module.
#include <gtest/gtest.h>

#include <vitrel/shader/exports.h>

#include "cli/cli.h"
#include "scene/scene.h"
#include "test_scenes.h"

namespace vr {
namespace {

using test::run;

TEST(CommandLine, APhotonCountOutOfRangeNamesTheRange) {
  const std::string range = "0 (no caustics) to " + std::to_string(kMaxCausticPhotons);
  test::Outcome o = run({"--photons", "-5"});
  EXPECT_EQ(o.code, kExitUsage);
  EXPECT_EQ(o.err, "vitrel-render: --photons -5: expected a count from " + range + "\n");
  o = run({"--photons", std::to_string(kMaxCausticPhotons + 1LL)});
  EXPECT_EQ(o.code, kExitUsage);
  EXPECT_NE(o.err.find("expected at most " + std::to_string(kMaxCausticPhotons) + " photons"),
            std::string::npos)
      << o.err;
}

TEST(CommandLine, ATimeBudgetOutOfRangeNamesTheRange) {
  for (const char *bad : {"-1", "0", "nan", "1e300"}) {
    test::Outcome o = run({"--time", bad});
    EXPECT_EQ(o.code, kExitUsage) << bad;
    EXPECT_NE(o.err.find(": expected a number of seconds above 0 and below 1e9\n"),
              std::string::npos)
        << o.err;
  }
}

TEST(CommandLine, VersionNamesTheRendererAndTheModuleItLoaded) {
  test::Outcome o = run({"--version"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out, std::string("vitrel-render ") + VR_VERSION + "\nshader module " +
                       VITREL_MODULE_PATH + ", interface version " +
                       std::to_string(VITREL_INTERFACE_VERSION) + "\n");
  EXPECT_EQ(o.err, "");
}

TEST(CommandLine, VersionOfAModuleThatCannotBeLoadedIsAModuleError) {
  test::Outcome o = run({"--version", "--module", VR_WRONG_VERSION_MODULE});
  EXPECT_EQ(o.code, kExitModule);
  EXPECT_NE(o.err.find("answers 2"), std::string::npos) << o.err;
  EXPECT_EQ(o.out, "");
}

} // namespace
} // namespace vr
