// The command line: vitrel-render [SCENE] [-o OUT] [--spp N] [--threads N]
// [--size WxH] [--crop X0,Y0,X1,Y1] [--photons N] [--passes N] [--pass-range FIRST,END]
// [--time SECONDS] [--single-path] [--module PATH] [--quiet] [--stats], or
// vitrel-render --version [--module PATH]
#ifndef VITREL_RENDER_CLI_CLI_H
#define VITREL_RENDER_CLI_CLI_H

namespace vr {

// Exit codes.
enum ExitCode {
  kExitOk = 0,
  kExitBadInput = 1, // scene, mesh or image files
  kExitUsage = 2,    // command-line arguments
  kExitModule = 3,   // the shader module cannot be used
  kExitOutput = 4,   // the picture cannot be written
};

int run_cli(int argc, char **argv);

} // namespace vr

#endif
