// A stand-in for a broken shader module: a wrong interface version, or an
// export missing.
#include <vitrel/shader/exports.h>

extern "C" {
int vitrel_version(void) { return FAKE_VERSION; }
int vitrel_photon_version(void) { return FAKE_VERSION; }
int vitrel_init(HostState *, GlassParams *, int *) { return 1; }
int vitrel_photon_init(HostState *, GlassParams *, int *) { return 1; }
void vitrel_exit(HostState *, GlassParams *) {}
#ifndef FAKE_WITHOUT_PHOTON_EXIT
void vitrel_photon_exit(HostState *, GlassParams *) {}
#endif
int vitrel(Colour *, HostState *, GlassParams *) { return 0; }
int vitrel_photon(Colour *, HostState *, GlassParams *) { return 0; }
int miSetModuleHandle(void *) { return 0; }
}
