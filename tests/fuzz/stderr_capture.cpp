#include "fuzz/stderr_capture.h"

#include <sanitizer/common_interface_defs.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace fuzz {

namespace {

int real_stderr = 2;
int capture_fd = -1;

} // namespace

void setup_stderr_capture() {
  real_stderr = dup(2);
  capture_fd = memfd_create("vitrel-fuzz-stderr", 0);
  if (real_stderr < 0 || capture_fd < 0) {
    std::perror("vitrel module fuzzer: cannot capture standard error");
    std::abort();
  }
  // A sanitizer report raised inside a shader call must not vanish into the
  // capture.
  __sanitizer_set_report_fd(reinterpret_cast<void *>(static_cast<intptr_t>(real_stderr)));
}

void begin_capture() {
  std::fflush(stderr);
  dup2(capture_fd, 2);
}

std::string end_capture() {
  std::fflush(stderr);
  dup2(real_stderr, 2);
  std::string text;
  const off_t size = lseek(capture_fd, 0, SEEK_CUR);
  if (size > 0) {
    text.resize(static_cast<size_t>(size));
    if (pread(capture_fd, text.data(), text.size(), 0) != size) text.clear();
    if (ftruncate(capture_fd, 0) != 0) std::abort();
    lseek(capture_fd, 0, SEEK_SET);
  }
  return text;
}

namespace {

// Consumes `prefix` from the front of `rest`.
bool take(std::string_view &rest, std::string_view prefix) {
  if (rest.substr(0, prefix.size()) != prefix) return false;
  rest.remove_prefix(prefix.size());
  return true;
}

// Consumes at least `least` and at most `most` characters of `set`.
bool take_run(std::string_view &rest, std::string_view set, size_t least, size_t most) {
  size_t n = 0;
  while (n < rest.size() && set.find(rest[n]) != std::string_view::npos) ++n;
  if (n < least || n > most) return false;
  rest.remove_prefix(n);
  return true;
}

} // namespace

// "dlsym failed on \"NAME\" (handle: HEX error: CODE)\n", with HEX eight
// to sixteen lower-case digits.
bool is_diagnostic_line(const std::string &line) {
  if (line == "DYNLOAD: dl_handle null\n") return true;
  std::string_view rest = line;
  return take(rest, "dlsym failed on \"mi_") &&
         take_run(rest, "abcdefghijklmnopqrstuvwxyz_", 1, 64) && take(rest, "\" (handle: ") &&
         take_run(rest, "0123456789abcdef", 8, 16) && take(rest, " error: ") &&
         (take(rest, "-") || true) && take_run(rest, "0123456789", 1, 10) && take(rest, ")\n") &&
         rest.empty();
}

void report_to_real_stderr(const char *text) {
  if (write(real_stderr, text, std::strlen(text)) < 0) return;
}

} // namespace fuzz
