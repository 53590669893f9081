// The module may write exactly two kinds of line to standard error, the
// binding layer's diagnostics. While a shader runs, file descriptor 2 points
// into a memory file, and the lines found there are checked afterwards. The
// sanitizers and the fuzzer's own reports go to the real standard error.
#ifndef VITREL_TESTS_FUZZ_STDERR_CAPTURE_H
#define VITREL_TESTS_FUZZ_STDERR_CAPTURE_H

#include <string>

namespace fuzz {

// Once, before the first capture.
void setup_stderr_capture();
void begin_capture();
// What the module wrote since begin_capture().
std::string end_capture();
// A line of the module's own diagnostics, "\n" included?
bool is_diagnostic_line(const std::string &line);
void report_to_real_stderr(const char *text);

} // namespace fuzz

#endif
