#include "scene/light_names.h"

#include <algorithm>

namespace vr {

std::vector<Tag> read_light_names(const Node &node, const std::vector<Light> &lights) {
  std::vector<Tag> tags;
  size_t n = array_size(node);
  if (n > static_cast<size_t>(kMaxLights))
    fail(node, "at most " + std::to_string(kMaxLights) + " lights");
  for (size_t i = 0; i < n; ++i) {
    Node name = element(node, i);
    std::string s = read_string(name);
    auto it =
        std::find_if(lights.begin(), lights.end(), [&](const Light &l) { return l.name == s; });
    if (it == lights.end()) fail(name, "the name of a light declared in \"lights\"");
    tags.push_back(static_cast<Tag>(it - lights.begin() + 1));
  }
  return tags;
}

} // namespace vr
