// A picture that cannot be written: a folder that refuses new files, a device
// that refuses the bytes (/dev/full, directly or through a link), a name that
// is a folder. Each stops with exit code 4 and one line naming the file and
// the reason, and leaves no partial file anywhere.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli.h"
#include "core/error.h"
#include "image/image_io.h"
#include "test_scenes.h"

namespace vr {
namespace {

namespace fs = std::filesystem;

// The default scene, tiny and without photons: these tests are about the file.
std::vector<std::string> small_render(const std::string &out) {
  return {"--size", "8x6", "--spp", "1", "--photons", "0", "--threads", "1", "-o", out};
}

using test::Outcome;
using test::run;

// Names in `folder` (not recursing), sorted.
std::vector<std::string> entries(const std::string &folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry &e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Whatever a failed write might leave in /dev beside the device.
std::vector<std::string> partials_in_dev() {
  std::vector<std::string> found;
  for (const std::string &name : entries("/dev"))
    if (name.find(".partial") != std::string::npos) found.push_back(name);
  return found;
}

bool is_char_device(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

void expect_one_line(const Outcome &o, const std::string &name, int error) {
  EXPECT_EQ(o.code, kExitOutput) << o.err;
  EXPECT_EQ(o.err, "vitrel-render: cannot write '" + name + "': " + std::strerror(error) + "\n");
}

TEST(OutputFaults, DevFullIsWrittenAndItsErrorReported) {
  if (!is_char_device("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  // No extension to choose a format by: a device gets PNG, and the render
  // runs; the write is what fails.
  expect_one_line(run(small_render("/dev/full")), "/dev/full", ENOSPC);
  EXPECT_TRUE(is_char_device("/dev/full")) << "the device itself must survive";
  EXPECT_EQ(partials_in_dev(), std::vector<std::string>{});
  // The same through the library call.
  Framebuffer fb = make_framebuffer(2, 2, {0, 0, 2, 2});
  EXPECT_THROW(write_image("/dev/full", fb), OutputError);
  EXPECT_TRUE(is_char_device("/dev/full"));
}

TEST(OutputFaults, ALinkIsFollowedAndKept) {
  if (!is_char_device("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  std::string folder = test::temp_path("links");
  fs::create_directory(folder);
  std::string link = folder + "/full.png";
  fs::create_symlink("/dev/full", link);
  expect_one_line(run(small_render(link)), link, ENOSPC);
  ASSERT_TRUE(fs::is_symlink(link)) << "the link was replaced";
  EXPECT_EQ(fs::read_symlink(link), "/dev/full");
  EXPECT_EQ(entries(folder), std::vector<std::string>{"full.png"});
  EXPECT_EQ(partials_in_dev(), std::vector<std::string>{});
  EXPECT_TRUE(is_char_device("/dev/full"));

  // A link to a file, relative and not there yet: the picture lands in the
  // file the link names, and the link stays a link.
  fs::create_directory(folder + "/real");
  std::string to_file = folder + "/picture.png";
  fs::create_symlink("real/picture.png", to_file);
  Outcome o = run(small_render(to_file));
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_TRUE(fs::is_symlink(to_file));
  EXPECT_EQ(entries(folder + "/real"), std::vector<std::string>{"picture.png"});
  EXPECT_EQ(read_image(to_file).width, 8);
  EXPECT_EQ(entries(folder), (std::vector<std::string>{"full.png", "picture.png", "real"}));
}

TEST(OutputFaults, ANameThatIsAFolder) {
  std::string parent = test::temp_path("folders");
  fs::create_directories(parent + "/shot.png");
  fs::create_directories(parent + "/shot");
  std::ofstream(parent + "/shot.png/keep.txt") << "mine";
  for (const char *name : {"/shot.png", "/shot"})
    expect_one_line(run(small_render(parent + name)), parent + name, EISDIR);
  EXPECT_EQ(entries(parent), (std::vector<std::string>{"shot", "shot.png"}));
  EXPECT_EQ(entries(parent + "/shot.png"), std::vector<std::string>{"keep.txt"});
  // After a render too, as when the folder appears while the frame renders.
  Framebuffer fb = make_framebuffer(2, 2, {0, 0, 2, 2});
  EXPECT_THROW(write_image(parent + "/shot.png", fb), OutputError);
  EXPECT_EQ(entries(parent), (std::vector<std::string>{"shot", "shot.png"}));
}

// A pipe has no name of its own: /proc/self/fd/N leads to it, and it gets
// the whole PNG (small enough here to fit the pipe's buffer).
TEST(OutputStreams, APipeGetsThePictureAsPng) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  Outcome o = run(small_render("/proc/self/fd/" + std::to_string(ends[1])));
  close(ends[1]);
  EXPECT_EQ(o.code, kExitOk) << o.err;
  std::string bytes;
  char buffer[4096];
  for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) bytes.append(buffer, size_t(n));
  close(ends[0]);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::string copy = test::temp_path("from-pipe.png");
  std::ofstream(copy, std::ios::binary) << bytes;
  Image back = read_image(copy);
  EXPECT_EQ(back.width, 8);
  EXPECT_EQ(back.height, 6);
}

// A folder of mode 0555 stops everyone but root, so as root the renderer runs
// as `nobody` in a folder that user may read but not write.
TEST(OutputFaults, AReadOnlyFolder) {
  char made[] = "/tmp/vitrel-readonly-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  std::string folder = made, out = folder + "/picture.png";
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  struct Cleanup {
    std::string path;
    ~Cleanup() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } cleanup{folder};

  Outcome o;
  if (geteuid() != 0) {
    o = run(small_render(out));
  } else {
    const passwd *nobody = getpwnam("nobody");
    if (nobody == nullptr || access("/usr/bin/setpriv", X_OK) != 0)
      GTEST_SKIP() << "running as root without a user `nobody` and setpriv to drop to: "
                      "a read-only folder cannot stop root";
    std::string err = test::temp_path("readonly.err");
    std::string command = "/usr/bin/setpriv --reuid=" + std::to_string(nobody->pw_uid) +
                          " --regid=" + std::to_string(nobody->pw_gid) + " --clear-groups " +
                          VR_RENDER_EXE " --module " VITREL_MODULE_PATH " --quiet";
    for (const std::string &a : small_render(out)) command += " '" + a + "'";
    int status = std::system((command + " 2>" + err).c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    o.code = WEXITSTATUS(status);
    std::ifstream in(err);
    o.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    // nobody must reach the renderer and its module: a failure to start is
    // not the fault under test.
    ASSERT_NE(o.code, 126) << o.err;
    ASSERT_NE(o.code, 127) << o.err;
    ASSERT_NE(o.code, kExitModule) << o.err;
  }
  expect_one_line(o, out, EACCES);
  EXPECT_EQ(entries(folder), std::vector<std::string>{});
}

} // namespace
} // namespace vr
