// Includes the installed headers under their package's name, takes the entry
// points' types from them, loads the module and checks that it speaks the
// headers' interface version and declines a shadow ray without calling back.
#include <cstdio>

#include <vitrel/host/ops.h>
#include <vitrel/shader/exports.h>

// The include root is the package's include/, so only <vitrel/...> reaches
// the headers: a bare "host/ops.h" would be a name any package may install.
#if __has_include("host/ops.h") || __has_include(<host/ops.h>)
#error "the vitrel headers are reachable without their vitrel/ folder"
#endif

#ifdef _WIN32
#include <windows.h>
static void *open_module(const char *path) { return reinterpret_cast<void *>(LoadLibraryA(path)); }
static void *find_export(void *module, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}
#else
#include <dlfcn.h>
static void *open_module(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void *find_export(void *module, const char *name) { return dlsym(module, name); }
#endif

template <typename F>
static F *entry(void *module, const char *name) {
  return reinterpret_cast<F *>(find_export(module, name));
}

int main(int argc, char **argv) {
  const char *path = argc > 1 ? argv[1] : VITREL_MODULE_PATH;
  void *module = open_module(path);
  if (module == nullptr) {
    std::fprintf(stderr, "consumer: cannot open %s\n", path);
    return 1;
  }
  auto *version = entry<VitrelVersionFunction>(module, "vitrel_version");
  decltype(&vitrel) shade = entry<VitrelShaderFunction>(module, "vitrel");
  if (version == nullptr || shade == nullptr) {
    std::fprintf(stderr, "consumer: %s lacks the shader's exports\n", path);
    return 1;
  }
  if (version() != VITREL_INTERFACE_VERSION) {
    std::fprintf(stderr, "consumer: the module answers version %d, the headers %d\n", version(),
                 VITREL_INTERFACE_VERSION);
    return 1;
  }
  // A shadow ray is declined before anything is read: no parameter, no host
  // operation, the result untouched.
  HostState state{};
  state.ray_type = VITREL_RAY_SHADOW;
  GlassParams params{};
  Colour result{0.5f, 0.5f, 0.5f, 0.5f};
  if (shade(&result, &state, &params) != 0 || result.r != 0.5f || result.a != 0.5f) {
    std::fprintf(stderr, "consumer: the module shaded a shadow ray\n");
    return 1;
  }
  std::printf("consumer: interface %d, a shadow ray declined\n", VITREL_INTERFACE_VERSION);
  return 0;
}
