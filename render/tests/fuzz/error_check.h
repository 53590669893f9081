// What a refused scene must say: one line of printable ASCII, "FILE: malformed JSON:
// ..." for text that is not JSON, otherwise "FILE: PATH: what" where PATH
// names a place in the document (a missing key's parent exists).
#ifndef VITREL_RENDER_TESTS_FUZZ_ERROR_CHECK_H
#define VITREL_RENDER_TESTS_FUZZ_ERROR_CHECK_H

#include <nlohmann/json.hpp>
#include <string>

namespace vr::fuzz {

// Empty when the message is well formed; otherwise what is wrong with it.
// `document` is the parsed scene, or null when the text is not JSON.
std::string error_message_fault(const std::string &message, const std::string &file,
                                const nlohmann::json *document);

} // namespace vr::fuzz

#endif
