// Errors that stop the renderer before it renders: bad scene input, a shader
// module that cannot be used, an output that cannot be written.
#ifndef VITREL_RENDER_CORE_ERROR_H
#define VITREL_RENDER_CORE_ERROR_H

#include <stdexcept>
#include <string>

namespace vr {

// Scene, preset and image input: the message names the file, the key path
// within it and what was expected.
struct InputError : std::runtime_error {
  InputError(const std::string &file, const std::string &path, const std::string &what)
      : std::runtime_error(file + (path.empty() ? "" : ": " + path) + ": " + what) {}
};

struct ModuleError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct OutputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

} // namespace vr

#endif
