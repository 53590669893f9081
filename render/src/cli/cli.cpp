#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/error.h"
#include "image/image_io.h"
#include "render/render.h"
#include "scene/glass_material.h"
#include "scene/load_scene.h"
#include "shading/render_state.h"

namespace vr {

namespace {

struct Request {
  std::string scene, output = "vitrel.png", size, crop, module, pass_range;
  int spp = 0, threads = 0, passes = 0;
  std::optional<double> seconds;    // none: no time budget
  std::optional<long long> photons; // none: as the scene says
  bool single_path = false, quiet = false, stats = false, version = false;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void parse_size(const std::string &text, Camera *camera) {
  int w = 0, h = 0;
  char x = 0, extra = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X') ||
      w < 1 || h < 1 || w > kMaxResolution || h > kMaxResolution)
    throw UsageError("--size " + text + ": expected WIDTHxHEIGHT, each from 1 to " +
                     std::to_string(kMaxResolution));
  camera->width = w, camera->height = h;
}

Region parse_crop(const std::string &text, const Camera &camera) {
  Region r{0, 0, camera.width, camera.height};
  if (text.empty()) return r;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &r.x0, &r.y0, &r.x1, &r.y1, &extra) != 4)
    throw UsageError("--crop " + text + ": expected X0,Y0,X1,Y1");
  if (r.x0 < 0 || r.y0 < 0 || r.x1 > camera.width || r.y1 > camera.height || r.x0 >= r.x1 ||
      r.y0 >= r.y1)
    throw UsageError(
        "--crop " + text + ": expected 0 <= X0 < X1 <= " + std::to_string(camera.width) +
        " and 0 <= Y0 < Y1 <= " + std::to_string(camera.height) + " (X1 and Y1 are excluded)");
  return r;
}

// FIRST,END: passes FIRST <= pass < END of the frame's `passes`.
void parse_pass_range(const std::string &text, int passes, RenderSettings *settings) {
  if (text.empty()) return;
  int first = 0, end = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d,%d%c", &first, &end, &extra) != 2 || first < 0 ||
      end <= first || end > passes)
    throw UsageError("--pass-range " + text + ": expected FIRST,END with 0 <= FIRST < END <= " +
                     std::to_string(passes) + " (the frame's passes; END is excluded)");
  settings->first_pass = first, settings->end_pass = end;
}

// Before rendering: a mistyped name is a usage error; a place that exists but
// cannot take the picture is an output error, as it would be after the render.
void check_output(const std::string &path) {
  OutputTarget target = resolve_output(path);
  if (target.kind != OutputKind::Folder) {
    if (output_format(target) == ImageFormat::Unknown)
      throw UsageError("-o " + path + ": the name must end in .png or .exr");
    size_t slash = target.resolved.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : target.resolved.substr(0, slash + 1);
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      throw UsageError("-o " + path + ": the folder " + folder + " does not exist");
  }
  check_output_writable(target);
}

std::vector<GlassParams *> glass_instances(Scene &scene) {
  std::vector<GlassParams *> out;
  for (Object &o : scene.objects)
    if (o.material.kind == MaterialKind::Glass) out.push_back(glass_params(o.material.glass));
  return out;
}

// Every failure stops with one line; the kind of error picks the exit code.
// Anything else thrown while reading input (a library's complaint about a
// file) counts as bad input.
int exit_code_of(const std::exception &e) {
  if (dynamic_cast<const UsageError *>(&e)) return kExitUsage;
  if (dynamic_cast<const ModuleError *>(&e)) return kExitModule;
  if (dynamic_cast<const OutputError *>(&e)) return kExitOutput;
  return kExitBadInput;
}

void print_stats(const RenderStats &stats) {
  const CausticStats &c = stats.caustics;
  using ull = unsigned long long;
  for (size_t i = 0; i < c.passes.size(); ++i)
    std::fprintf(stderr,
                 "pass %zu: %llu photons emitted, %llu stored, %llu splatted, radius %.6g\n", i + 1,
                 static_cast<ull>(c.passes[i].emitted), static_cast<ull>(c.passes[i].stored),
                 static_cast<ull>(c.passes[i].splats), c.passes[i].radius);
  if (c.emitted > 0)
    std::fprintf(stderr,
                 "photons: %llu emitted, %llu stored, %llu splatted, photon passes %.2f s "
                 "(%.0f photons/s/core, %.0f per processor second), maps and splats %.3f s, "
                 "largest map %.1f MB (%.1f bytes a photon), %llu estimates\n",
                 static_cast<ull>(c.emitted), static_cast<ull>(c.stored),
                 static_cast<ull>(c.splats), c.pass_seconds,
                 c.emitted / c.pass_seconds / stats.threads, c.emitted / c.pass_cpu_seconds,
                 c.map_seconds, c.map_bytes / 1e6,
                 c.stored > 0 ? double(c.map_bytes) * c.passes.size() / c.stored : 0.0,
                 static_cast<ull>(stats.estimates));
  auto plural = [](long long n) { return n == 1 ? "" : "s"; };
  std::fprintf(stderr,
               "%.2f s, %d thread%s, %d pass%s of %d sample%s, image %.2f s, %llu rays, "
               "%.0f rays/s/core\n",
               stats.seconds, stats.threads, plural(stats.threads), stats.passes,
               stats.passes == 1 ? "" : "es", stats.samples_per_pass,
               plural(stats.samples_per_pass), stats.image_seconds, static_cast<ull>(stats.rays),
               stats.rays / stats.image_seconds / stats.threads);
}

// The renderer's own version and the interface version of the module it
// loads, which the renderer checked against its own.
int print_version(const Request &req) {
  ShaderModule module = load_module(req.module.empty() ? default_module_path() : req.module);
  std::printf("vitrel-render %s\nshader module %s, interface version %d\n", VR_VERSION,
              module.path.c_str(), module.version());
  return kExitOk;
}

int render(const Request &req) {
  check_output(req.output);
  Scene scene = req.scene.empty() ? load_default_scene() : load_scene_file(req.scene);
  if (!req.size.empty()) parse_size(req.size, &scene.camera);
  if (req.spp > 0) scene.options.samples = req.spp;
  if (req.photons) {
    std::string given = "--photons " + std::to_string(*req.photons) + ": expected ";
    if (*req.photons < 0)
      throw UsageError(given + "a count from 0 (no caustics) to " +
                       std::to_string(kMaxCausticPhotons));
    if (*req.photons > kMaxCausticPhotons) throw UsageError(given + photon_cap_expected());
    scene.options.caustic_photons = static_cast<int>(*req.photons);
  }
  if (req.passes > 0) scene.options.passes = req.passes;
  RenderSettings settings;
  settings.region = parse_crop(req.crop, scene.camera);
  parse_pass_range(req.pass_range, scene.options.passes, &settings);
  if (req.seconds) {
    // A budget past a billion seconds would overflow the clock's arithmetic.
    if (!(*req.seconds > 0 && *req.seconds < 1e9))
      throw UsageError("--time " + CLI::detail::to_string(*req.seconds) +
                       ": expected a number of seconds above 0 and below 1e9");
    if (!req.pass_range.empty())
      throw UsageError("--time and --pass-range: a time budget renders passes from the first on");
    settings.seconds = *req.seconds;
    // Without --passes the budget alone says when to stop; the scene's
    // passes still split the samples.
    if (req.passes == 0) settings.end_pass = kMaxPasses;
  }
  settings.threads = req.threads;
  settings.progress = !req.quiet && isatty(STDERR_FILENO);

  ShaderModule module = load_module(req.module.empty() ? default_module_path() : req.module);
  Accel accel;
  build_accel(shapes_of(scene), &accel);
  RenderContext rc;
  make_render_context(scene, accel, module, req.single_path, &rc);

  ThreadContext setup;
  init_thread_context(rc, &setup);
  HostState *state = &setup.arena[0].host;
  state->camera = &rc.camera;
  state->options = &rc.options;
  std::vector<GlassParams *> instances = glass_instances(scene);
  ShaderSession session = start_shaders(module, state, instances);
  RenderStats stats;
  Framebuffer fb = render_image(rc, settings, &stats);
  end_shaders(module, session, state, instances);

  write_image(req.output, fb);
  if (req.stats) print_stats(stats);
  if (req.seconds && !req.quiet)
    std::fprintf(stderr, "vitrel-render: %d pass%s in %.1f s\n", stats.passes,
                 stats.passes == 1 ? "" : "es", stats.seconds);
  return kExitOk;
}

} // namespace

int run_cli(int argc, char **argv) {
  Request req;
  CLI::App app{"vitrel-render: renders a scene with the vitrel glass shaders.\n"
               "Without SCENE it renders the built-in default scene."};
  app.add_option("scene", req.scene, "Scene file (JSON)");
  app.add_option("-o,--output", req.output,
                 "Picture to write: .png (8-bit sRGB with alpha) or "
                 ".exr (linear float RGBA); a device or pipe such as /dev/stdout "
                 "gets PNG unless its name ends in .exr")
      ->capture_default_str();
  app.add_option("--spp", req.spp, "Samples per pixel (overrides the scene)")
      ->check(CLI::Range(1, kMaxSamples));
  app.add_option("--threads", req.threads, "Threads (default: all cores)")
      ->check(CLI::Range(1, 1024));
  app.add_option("--size", req.size, "Image size WIDTHxHEIGHT (overrides the scene)");
  app.add_option("--crop", req.crop,
                 "Render only the pixels X0 <= x < X1, Y0 <= y < Y1 of the full frame");
  app.add_option("--photons", req.photons,
                 "Photons sent toward the glass for caustics (overrides the scene; 0: off)");
  app.add_option("--passes", req.passes,
                 "Progressive passes, each with fresh photons, a smaller caustic radius and "
                 "its share of the samples (overrides the scene's passes)")
      ->check(CLI::Range(1, kMaxPasses));
  app.add_option("--pass-range", req.pass_range,
                 "Render only passes FIRST <= pass < END of the frame's, averaged: pictures of "
                 "equal ranges average to the whole frame's");
  app.add_option("--time", req.seconds,
                 "Render passes until SECONDS of wall clock have passed (at most --passes when "
                 "given); the pass that crosses the budget finishes");
  app.add_flag("--single-path", req.single_path, "Report single-path rendering to the shaders");
  app.add_option("--module", req.module, "Shader module (default: vitrel.so beside this program)");
  app.add_flag("-q,--quiet", req.quiet, "No progress bar");
  app.add_flag("--stats", req.stats,
               "Print render time, ray counts and the photon pass's figures on standard error");
  app.add_flag("--version", req.version,
               "Print the renderer's version and the shader module's interface version");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  try {
    return req.version ? print_version(req) : render(req);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "vitrel-render: %s\n", e.what());
    return exit_code_of(e);
  }
}

} // namespace vr
