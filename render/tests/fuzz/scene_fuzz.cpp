// libFuzzer target for the scene reader: every input either loads into a
// sound scene or is refused with one line naming the key path; anything
// else (a crash, a sanitizer report, another exception, a scene that breaks
// the renderer's assumptions) stops the fuzzer.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/error.h"
#include "error_check.h"
#include "fuzz_input.h"
#include "scene/load_scene.h"
#include "scene_check.h"

namespace {

const char kSceneName[] = "fuzz.json";
std::string g_folder;

void remove_folder() {
  if (!g_folder.empty()) rmdir(g_folder.c_str());
}

[[noreturn]] void fault(const std::string &what, const std::string &detail) {
  std::fprintf(stderr, "scene fuzz: %s\n  %s\n", what.c_str(), detail.c_str());
  std::abort();
}

void write_file(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) fault("cannot write a side file", path);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  // The files of one input live in a folder of this process's own, emptied
  // after every input.
  const char *tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vitrel-scene-fuzz.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) fault("cannot make a folder", pattern);
  g_folder = pattern;
  std::atexit(remove_folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  vr::fuzz::FuzzInput input = vr::fuzz::split_input(data, size);
  std::vector<std::string> written;
  for (vr::fuzz::SideFile &f : input.files) {
    if (f.name.size() > 4 && f.name.compare(f.name.size() - 4, 4, ".png") == 0)
      vr::fuzz::fix_png_checksums(&f.bytes);
    written.push_back(g_folder + "/" + f.name);
    write_file(written.back(), f.bytes);
  }

  try {
    vr::Scene scene = vr::load_scene_text(input.scene, kSceneName, g_folder);
    std::string wrong = vr::fuzz::scene_fault(scene);
    if (!wrong.empty()) fault("a loaded scene is unsound", wrong);
  } catch (const vr::InputError &e) {
    nlohmann::json document;
    bool parsed = true;
    try {
      document = nlohmann::json::parse(input.scene, nullptr, true, true);
    } catch (const nlohmann::json::exception &) {
      parsed = false;
    }
    std::string wrong =
        vr::fuzz::error_message_fault(e.what(), kSceneName, parsed ? &document : nullptr);
    if (!wrong.empty()) fault("a bad error message: " + wrong, e.what());
  } catch (const std::exception &e) {
    fault("an exception other than InputError escaped", e.what());
  } catch (...) {
    fault("a non-standard exception escaped", "");
  }

  for (const std::string &path : written) unlink(path.c_str());
  return 0;
}
