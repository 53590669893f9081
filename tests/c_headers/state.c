/* Compiles the header alone as C. */
#include "host/state.h"

typedef int header_compiles_state;
