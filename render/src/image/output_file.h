// Where the rendered picture goes, and writing its bytes there.
#ifndef VITREL_RENDER_IMAGE_OUTPUT_FILE_H
#define VITREL_RENDER_IMAGE_OUTPUT_FILE_H

#include <string>
#include <vector>

namespace vr {

enum class OutputKind {
  File,   // a regular file, or nothing yet: written whole beside it and renamed
  Stream, // a device or pipe (/dev/stdout, /dev/full): written straight into
  Folder, // cannot hold a picture
};

// The name as given and where it leads: a symbolic link is followed, as the
// shell's `>` would, so the link stays and the file it names is replaced.
struct OutputTarget {
  std::string name;     // for messages
  std::string resolved; // the file the bytes end up in
  OutputKind kind = OutputKind::File;
};

// Throws OutputError when a link cannot be followed.
OutputTarget resolve_output(const std::string &name);

// Fails early, before a long render, where the write would fail for a reason
// known now: a folder, a folder that refuses new files, a device this user
// may not write. Throws OutputError.
void check_output_writable(const OutputTarget &target);

// A file appears whole or not at all: the bytes go to a new file beside it,
// which is flushed to disk and renamed over the name only once complete; on
// any failure it is removed. A stream gets the bytes as they are. Throws
// OutputError naming the file and the reason.
void write_output(const OutputTarget &target, const std::vector<unsigned char> &bytes);

} // namespace vr

#endif
