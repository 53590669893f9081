#include "error_check.h"

#include <cctype>

namespace vr::fuzz {

namespace {

using Json = nlohmann::json;

bool name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Reads a JSON string literal at `at` (the opening quote); false when there is none.
bool read_quoted(const std::string &text, size_t *at, std::string *out) {
  size_t end = *at + 1;
  while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
  if (end >= text.size()) return false;
  try {
    *out = Json::parse(text.substr(*at, end + 1 - *at)).get<std::string>();
  } catch (const Json::exception &) {
    return false;
  }
  *at = end + 1;
  return true;
}

// Walks one step of a key path from `node`; a key that is absent is allowed
// only as the last step (a required key that is missing).
std::string step_key(const Json *&node, const std::string &key, bool last) {
  if (node == nullptr || !node->is_object()) return "the key " + key + " follows no object";
  auto it = node->find(key);
  if (it == node->end()) {
    if (!last) return "the key " + key + " is not in the document";
    node = nullptr;
    return "";
  }
  node = &*it;
  return "";
}

} // namespace

std::string error_message_fault(const std::string &message, const std::string &file,
                                const Json *document) {
  for (char c : message)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
      return "a byte outside printable ASCII";
  const std::string prefix = file + ": ";
  if (message.rfind(prefix, 0) != 0) return "the message does not start with the file name";
  if (document == nullptr)
    return message.rfind(prefix + "malformed JSON: ", 0) == 0 ? "" : "not reported as malformed";
  size_t at = prefix.size();
  if (message.compare(at, 13, "(top level): ") == 0) return "";

  const Json *node = document;
  bool first = true;
  while (true) {
    if (message.compare(at, 2, ": ") == 0 && !first)
      return at + 2 < message.size() ? "" : "nothing after the key path";
    std::string key;
    if (message.compare(at, 2, "[\"") == 0) {
      ++at;
      if (!read_quoted(message, &at, &key) || at >= message.size() || message[at] != ']')
        return "a quoted key that does not close";
      ++at;
    } else if (message[at] == '[') {
      size_t end = message.find(']', at);
      if (end == std::string::npos || end == at + 1) return "an index that does not close";
      size_t index = 0;
      for (size_t i = at + 1; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(message[i]))) return "an index not a number";
        index = index * 10 + size_t(message[i] - '0');
      }
      if (node == nullptr || !node->is_array() || index >= node->size())
        return "an index outside the document";
      node = &(*node)[index];
      at = end + 1;
      first = false;
      continue;
    } else {
      if (!first) {
        if (message[at] != '.') return "a key path that is not followed by \": \"";
        ++at;
      }
      size_t end = at;
      while (end < message.size() && name_char(message[end])) ++end;
      if (end == at) return "an empty key in the key path";
      key = message.substr(at, end - at);
      at = end;
    }
    bool last = message.compare(at, 2, ": ") == 0;
    std::string fault = step_key(node, key, last);
    if (!fault.empty()) return fault;
    first = false;
  }
}

} // namespace vr::fuzz
