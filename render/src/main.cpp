#include "cli/cli.h"

int main(int argc, char **argv) { return vr::run_cli(argc, argv); }
