// One fuzz input holds a scene and the files it may name: the scene's JSON
// text, then any number of parts that each start with a line "@@ NAME" and
// hold that file's bytes.
#ifndef VITREL_RENDER_TESTS_FUZZ_FUZZ_INPUT_H
#define VITREL_RENDER_TESTS_FUZZ_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vr::fuzz {

struct SideFile {
  std::string name; // a plain file name: letters, digits, '.', '_', '-'
  std::string bytes;
};

struct FuzzInput {
  std::string scene;
  std::vector<SideFile> files;
};

// Parts whose name is not a plain file name are dropped, so a file never
// lands outside the folder it is written to.
FuzzInput split_input(const uint8_t *data, size_t size);

// Rewrites every chunk's CRC of a PNG, so that changed bytes reach the
// decoder's checks of the header and the data instead of stopping at the
// checksum.
void fix_png_checksums(std::string *png);

} // namespace vr::fuzz

#endif
