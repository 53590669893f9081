// The trivial host operation the call-cost benchmark reaches three ways. It is
// exported under the operation's own name, for the stub's lookup, and under a
// second name, for an ordinary call through the PLT.
#include <vitrel/host/ops.h>

extern "C" __attribute__((visibility("default"))) float trivial_op(float exponent, HostState *,
                                                                   Vector *) {
  return exponent;
}

extern "C" __attribute__((visibility("default"), alias("trivial_op"))) float
mi_phong_specular(float exponent, HostState *state, Vector *dir);
