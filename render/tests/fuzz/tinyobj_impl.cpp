// tinyobjloader's implementation compiled here, with the fuzzer's coverage
// and the sanitizers, instead of the system's uninstrumented library: the
// fuzzer then sees, and checks, the OBJ parser the meshes go through.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>
