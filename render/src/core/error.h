// Errors that stop the renderer before it renders: bad scene input, a shader
// module that cannot be used, an output that cannot be written.
#ifndef VITREL_RENDER_CORE_ERROR_H
#define VITREL_RENDER_CORE_ERROR_H

#include <stdexcept>
#include <string>

namespace vr {

// Every byte of the text outside printable ASCII written as \xNN: a name or
// path taken from the input, shown in a message as it was given.
std::string escape_bytes(const std::string &text);
// The text as one printable ASCII line: line breaks (with any blank lines)
// become "; ", trailing ones are dropped and every other byte outside the
// printable range is written as \xNN. Input messages quote the input (the
// bytes a parser stopped at) and libraries whose reasons span lines, and the
// renderer reports every failure as one line.
std::string one_line(const std::string &text);

// Scene, preset and image input: the message names the file, the key path
// within it and what was expected.
struct InputError : std::runtime_error {
  InputError(const std::string &file, const std::string &path, const std::string &what)
      : std::runtime_error(one_line(file + (path.empty() ? "" : ": " + path) + ": " + what)) {}
};

struct ModuleError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct OutputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

} // namespace vr

#endif
