// Bad scene input stops with the file, the key path and what was expected,
// and the command line then writes nothing.
#include <fstream>
#include <gtest/gtest.h>

#include "cli/cli.h"
#include "core/error.h"
#include "scene/load_scene.h"
#include "scene/stack_budget.h"
#include "test_scenes.h"

namespace vr {
namespace {

std::string load_error(const std::string &text) {
  try {
    load_scene_text(text, "bad.json", VR_TEST_DATA);
  } catch (const InputError &e) {
    return e.what();
  }
  return "no error";
}

TEST(SceneErrors, EachNamesFileKeyPathAndExpectation) {
  EXPECT_EQ(
      load_error(R"({"camera": {"fov": 40, "lens": 35}})"),
      "bad.json: camera.lens: unknown key; expected one of: position, target, up, fov, resolution");
  EXPECT_EQ(
      load_error(R"({"options": {"samples": "many"}})"),
      "bad.json: options.samples: expected an integer from 1 to 65536, got the string \"many\"");
  EXPECT_EQ(load_error(R"({"camera": {"resolution": [0, 100]}})"),
            "bad.json: camera.resolution[0]: expected an integer from 1 to 16384, got 0");
  EXPECT_EQ(load_error(R"({"camera": {"resolution": [640, 20000]}})"),
            "bad.json: camera.resolution[1]: expected an integer from 1 to 16384, got 20000");
  // Missing files: our message, then the library's reason.
  std::string mesh =
      load_error(R"({"objects": [{"shape": "sphere"}, {"shape": "mesh", "file": "nowhere.obj"}]})");
  EXPECT_EQ(mesh.rfind(std::string("bad.json: objects[1].file: cannot read the mesh '") +
                           VR_TEST_DATA + "/nowhere.obj': ",
                       0),
            0u)
      << mesh;
  for (const char *image : {"sky.exr", "sky.png", "sky.hdr"}) {
    std::string e =
        load_error(std::string(R"({"environment": {"type": "image", "file": ")") + image + "\"}}");
    EXPECT_EQ(e.rfind(std::string("bad.json: environment.file: cannot read the image '") +
                          VR_TEST_DATA + "/" + image + "': ",
                      0),
              0u)
        << e;
  }
  EXPECT_EQ(
      load_error(
          R"({"objects": [{"shape": "sphere", "material": {"type": "glass", "ior": [1.5]}}]})"),
      "bad.json: objects[0].material.ior: expected a number, got an array of 1");
  EXPECT_EQ(
      load_error(R"({"objects": [{"shape": "torus"}]})"),
      "bad.json: objects[0].shape: expected \"sphere\", \"box\", \"quad\" or \"mesh\", got the "
      "string \"torus\"");
  EXPECT_EQ(load_error(R"({"objects": [{"shape": "sphere", "size": [1, 2, 3]}]})"),
            "bad.json: objects[0].size: unknown key for a sphere");
  EXPECT_EQ(load_error(R"({"objects": [{"shape": "box", "transform": {"scale": 0}}]})"),
            "bad.json: objects[0].transform.scale: expected a nonzero scale, got 0");
  EXPECT_EQ(
      load_error(R"({"objects": [{"shape": "box", "lights": ["key"]}]})"),
      "bad.json: objects[0].lights[0]: expected the name of a light declared in \"lights\", got "
      "the string \"key\"");
  EXPECT_EQ(load_error(
                R"({"objects": [{"shape": "sphere", "material": {"type": "glass", "iro": 1.5}}]})"),
            "bad.json: objects[0].material.iro: unknown key; expected \"type\", \"preset\", "
            "\"lights\" or a glass field");
}

// A key that is not a plain name (letters, digits, '_') stands quoted in the
// key path, so the path reads back unambiguously and the message stays one
// printable line whatever the key holds.
TEST(SceneErrors, KeysThatAreNotPlainNamesAreQuotedInThePath) {
  const std::string options =
      "unknown key; expected one of: samples, reflection_depth, refraction_depth, gather_rays, "
      "caustic_photons, caustic_neighbours, caustic_radius, photon_depth, passes, "
      "caustic_smoothing";
  EXPECT_EQ(load_error(R"({"options": {"%samples": 1}})"),
            "bad.json: options[\"%samples\"]: " + options);
  EXPECT_EQ(load_error(R"({"options": {"samples.x": 1}})"),
            "bad.json: options[\"samples.x\"]: " + options);
  EXPECT_EQ(load_error(R"({"options": {"": 1}})"), "bad.json: options[\"\"]: " + options);
  // Control and non-ASCII characters are escaped as in JSON.
  EXPECT_EQ(load_error("{\"options\": {\"a\\nb\\u00e9\": 1}}"),
            "bad.json: options[\"a\\nb\\u00e9\"]: " + options);
  EXPECT_EQ(load_error(R"({"a b": 1})"),
            "bad.json: [\"a b\"]: unknown key; expected one of: camera, options, environment, "
            "lights, objects");
  EXPECT_EQ(
      load_error(R"({"objects": [{"shape": "sphere", "material": {"type": "glass", "i:or": 1}}]})"),
      "bad.json: objects[0].material[\"i:or\"]: unknown key; expected \"type\", \"preset\", "
      "\"lights\" or a glass field");
}

bool printable_ascii(const std::string &s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) return false;
  return true;
}

// Every refusal is one line of printable ASCII, whatever bytes the input or
// a library's reason holds: the bytes are written as \xNN.
TEST(SceneErrors, MessagesAreOnePrintableLine) {
  // The parser quotes the bytes it stopped at: here DEL and a byte that is not UTF-8.
  std::string e = load_error("{\"ior\": \x7f\xff}");
  EXPECT_TRUE(printable_ascii(e)) << e;
  EXPECT_NE(e.find("\\x7F"), std::string::npos) << e;
  EXPECT_EQ(e.rfind("bad.json: malformed JSON: parse error at line 1, column 9", 0), 0u) << e;
  // Strings of the input are described with JSON's escapes.
  EXPECT_EQ(load_error(R"({"environment": {"type": "caf\u00e9\u0085"}})"),
            "bad.json: environment.type: expected \"constant\", \"gradient\" or \"image\", got the "
            "string \"caf\\u00e9\\u0085\"");
  // A file name with a line break in it stays one line.
  e = load_error(R"({"objects": [{"shape": "mesh", "file": "two\nlines\u00e9.obj"}]})");
  EXPECT_EQ(e.rfind(std::string("bad.json: objects[0].file: cannot read the mesh '") +
                        VR_TEST_DATA + "/two\\x0Alines\\xC3\\xA9.obj': ",
                    0),
            0u)
      << e;
  EXPECT_TRUE(printable_ascii(e)) << e;
}

TEST(SceneErrors, OneLineJoinsLinesAndEscapesBytes) {
  EXPECT_EQ(one_line("first\nsecond\r\n\nthird\n\n"), "first; second; third");
  EXPECT_EQ(one_line("tab\there \x01\x7f\xe9"), "tab\\x09here \\x01\\x7F\\xE9");
  EXPECT_EQ(escape_bytes("a\nb"), "a\\x0Ab");
  EXPECT_EQ(one_line("\n"), "");
}

// The renderer holds colours, glass fields and vertices in single precision:
// a value past its range, or a placement that overflows or vanishes there,
// is refused where it is given instead of turning into infinities and NaNs.
TEST(SceneErrors, ValuesBeyondSinglePrecisionAreRefused) {
  const std::string single = "expected a number of single precision, at most 3.4e38 in size, got ";
  auto object = [](const std::string &body) {
    return load_error(R"({"objects": [)" + body + "]}");
  };
  EXPECT_EQ(object(R"({"shape": "sphere", "material": {"type": "glass", "ior": 1e39}})"),
            "bad.json: objects[0].material.ior: " + single + "1e+39");
  EXPECT_EQ(object(R"({"shape": "sphere", "material": {"type": "glass",
                                                       "replacement_normal": [0, -4e38, 0]}})"),
            "bad.json: objects[0].material.replacement_normal[1]: " + single + "-4e+38");
  EXPECT_EQ(
      object(R"({"shape": "sphere", "material": {"type": "diffuse", "color": [1e39, 0, 0]}})"),
      "bad.json: objects[0].material.color[0]: " + single + "1e+39");
  EXPECT_EQ(load_error(R"({"lights": [{"type": "point", "position": [0, 1, 0],
                                       "color": [3e38, 1, 1], "intensity": 10}]})"),
            "bad.json: lights[0]: color times intensity passes the single-precision range");
  EXPECT_EQ(load_error(R"({"lights": [{"type": "area", "transform": {"scale": 1e-200}}]})"),
            "bad.json: lights[0].transform: the light's size and transform leave it no finite, "
            "nonzero area");
  const std::string beyond = "the transform takes the shape beyond the range the renderer holds";
  EXPECT_EQ(object(R"({"shape": "box", "transform": {"scale": 1e39}})"),
            "bad.json: objects[0].transform: " + beyond);
  EXPECT_EQ(object(R"({"shape": "sphere", "radius": 1e9, "transform": {"scale": 1e300}})"),
            "bad.json: objects[0].transform: " + beyond);
  // Nonzero scales whose product vanishes: no inverse.
  EXPECT_EQ(object(R"({"shape": "sphere", "radius": 1e-9, "transform": {"scale": 1e-200}})"),
            "bad.json: objects[0].transform: " + beyond);
  EXPECT_EQ(load_error(R"({"camera": {"position": [-1e308, 0, 0], "target": [1e308, 0, 0]}})"),
            "bad.json: camera: position, target and up must lie within a finite distance");

  std::string obj = test::temp_path("huge.obj");
  std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 0 1e39 0\nf 1 2 3\n";
  EXPECT_EQ(object(R"({"shape": "mesh", "file": ")" + obj + "\"}"),
            "bad.json: objects[0].file: cannot read the mesh '" + obj +
                "': vertex 3 is not finite");
  std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 -1e40\nf 1/1 2/2 3/1\n";
  EXPECT_EQ(object(R"({"shape": "mesh", "file": ")" + obj + "\"}"),
            "bad.json: objects[0].file: cannot read the mesh '" + obj +
                "': texture coordinate 2 is not finite");
}

// Integers past the signed 64-bit range are refused as out of range, never
// read as the small or negative number they wrap around to.
TEST(SceneErrors, IntegersPastSixtyFourBitsAreOutOfRange) {
  EXPECT_EQ(load_error(R"({"objects": [{"shape": "sphere", "material": {"type": "glass",
                                        "light_mode": 18446744073709551615}}]})"),
            "bad.json: objects[0].material.light_mode: expected an integer from -2147483648 to "
            "2147483647, got 18446744073709551615");
  EXPECT_EQ(load_error(R"({"options": {"photon_depth": 18446744073709551614}})"),
            "bad.json: options.photon_depth: expected an integer from 0 to " +
                std::to_string(kMaxNestedLevels - 1) + ", got 18446744073709551614");
  EXPECT_EQ(load_error(R"({"options": {"caustic_photons": 18446744073709551615}})"),
            "bad.json: options.caustic_photons: expected at most 89478485 photons (the photon map "
            "takes 48 bytes a photon and at most 4 GiB), got 18446744073709551615");
}

// An object's light list and a glass material's own list are read alike: by
// name, and no longer than the per-ray light buffers.
TEST(SceneErrors, LightListsAreNamesWithinTheLimit) {
  std::string names = "\"key\"";
  for (int i = 1; i < kMaxLights; ++i) names += ", \"key\"";
  std::string scene = R"({"lights": [{"name": "key", "type": "point", "position": [0, 1, 0]}],
                          "objects": [{"shape": "sphere", "lights": [)" +
                      names + "]}]}";
  EXPECT_EQ(load_scene_text(scene, "ok.json", "").objects[0].light_links.size(),
            static_cast<size_t>(kMaxLights));
  std::string over = scene;
  over.insert(over.find("]}]}"), ", \"key\"");
  std::string glass = R"({"lights": [{"name": "key", "type": "point", "position": [0, 1, 0]}],
                          "objects": [{"shape": "sphere", "material": {"type": "glass", "lights": [)" +
                      names + ", \"key\"]}}]}";
  const std::string limit = "expected at most " + std::to_string(kMaxLights) +
                            " lights, got an array of " + std::to_string(kMaxLights + 1);
  EXPECT_EQ(load_error(over), "bad.json: objects[0].lights: " + limit);
  EXPECT_EQ(load_error(glass), "bad.json: objects[0].material.lights: " + limit);
  EXPECT_EQ(load_error(R"({"lights": [{"name": "key", "type": "point", "position": [0, 1, 0]}],
                          "objects": [{"shape": "sphere", "material": {"type": "glass",
                                       "lights": ["fill"]}}]})"),
            "bad.json: objects[0].material.lights[0]: expected the name of a light declared in "
            "\"lights\", got the string \"fill\"");
}

TEST(SceneErrors, CausticOptionsOutOfRange) {
  auto options = [](const std::string &body) {
    return load_error(R"({"options": {)" + body + "}}");
  };
  EXPECT_EQ(options(R"("caustic_photons": -5)"),
            "bad.json: options.caustic_photons: expected an integer from 0 to 89478485, got -5");
  EXPECT_EQ(options(R"("caustic_photons": 1.5e5)"),
            "bad.json: options.caustic_photons: expected an integer from 0 to 89478485, got "
            "150000.0");
  // The photon map's memory: 48 bytes a photon, at most 4 GiB.
  EXPECT_EQ(options(R"("caustic_photons": 100000000)"),
            "bad.json: options.caustic_photons: expected at most 89478485 photons (the photon map "
            "takes 48 bytes a photon and at most 4 GiB), got 100000000");
  EXPECT_EQ(options(R"("caustic_radius": 0)"),
            "bad.json: options.caustic_radius: expected a radius greater than 0, got 0");
  EXPECT_EQ(options(R"("caustic_radius": -0.1)"),
            "bad.json: options.caustic_radius: expected a radius greater than 0, got -0.1");
  // JSON has no infinity; a number too large for a double is refused as it is read.
  EXPECT_EQ(options(R"("caustic_radius": 1e999)"),
            "bad.json: malformed JSON: number overflow parsing '1e999'");
  EXPECT_EQ(options(R"("caustic_radius": "wide")"),
            "bad.json: options.caustic_radius: expected a number, got the string \"wide\"");
  EXPECT_EQ(options(R"("caustic_neighbours": 0)"),
            "bad.json: options.caustic_neighbours: expected an integer from 1 to 1024, got 0");
  // The most bounces a worker's stack holds (see DeepStack).
  const std::string most_bounces = std::to_string(kMaxNestedLevels - 1);
  EXPECT_EQ(options(R"("photon_depth": -1)"),
            "bad.json: options.photon_depth: expected an integer from 0 to " + most_bounces +
                ", got -1");
  EXPECT_EQ(options(R"("photon_depth": 2.5)"),
            "bad.json: options.photon_depth: expected an integer from 0 to " + most_bounces +
                ", got 2.5");

  EXPECT_EQ(options(R"("passes": 0)"),
            "bad.json: options.passes: expected an integer from 1 to 1048576, got 0");
  EXPECT_EQ(options(R"("caustic_smoothing": -1)"),
            "bad.json: options.caustic_smoothing: expected an integer from 0 to 1024, got -1");

  Scene s = load_scene_text(R"({"options": {"caustic_photons": 0, "caustic_neighbours": 1,
                                           "caustic_radius": 0.02, "photon_depth": 3,
                                           "passes": 12}})",
                            "good.json", VR_TEST_DATA);
  EXPECT_EQ(s.options.caustic_photons, 0);
  EXPECT_EQ(s.options.caustic_neighbours, 1);
  EXPECT_DOUBLE_EQ(s.options.caustic_radius, 0.02);
  EXPECT_EQ(s.options.photon_depth, 3);
  EXPECT_EQ(s.options.passes, 12);
}

TEST(SceneErrors, MalformedJsonNamesLineAndColumn) {
  std::string e = load_error("{\n  \"camera\": {\"fov\": 40,}\n}");
  EXPECT_EQ(e.rfind("bad.json: malformed JSON: parse error at line 2, column 24:", 0), 0u) << e;
}

TEST(SceneErrors, AGoodSceneLoadsWhole) {
  Scene s = load_scene_text(R"({
      "camera": {"resolution": [32, 18], "fov": 50},
      "options": {"samples": 2, "gather_rays": 3},
      "environment": {"type": "gradient", "zenith": [0, 0, 1], "horizon": [1, 1, 1]},
      "lights": [{"name": "key", "type": "area", "size": [2, 1], "samples": 3,
                  "transform": {"translate": [0, 3, 0]}},
                 {"type": "point", "position": [1, 2, 3], "intensity": 5}],
      "objects": [{"shape": "mesh", "file": "tetra.obj", "lights": ["key"]},
                  {"shape": "quad", "size": [4, 4]}]})",
                            "good.json", VR_TEST_DATA);
  EXPECT_EQ(s.camera.width, 32);
  EXPECT_EQ(s.options.gather_rays, 3);
  ASSERT_EQ(s.lights.size(), 2u);
  EXPECT_EQ(s.lights[1].name, "light1");
  EXPECT_DOUBLE_EQ(s.lights[0].area, 2.0);
  EXPECT_DOUBLE_EQ(s.lights[0].normal.y, -1.0); // area lights shine down unless turned
  EXPECT_FLOAT_EQ(s.lights[1].colour.g, 5.0f);
  ASSERT_EQ(s.objects.size(), 2u);
  EXPECT_EQ(s.objects[0].shape.mesh.indices.size(), 12u);
  EXPECT_EQ(s.objects[0].light_links, std::vector<Tag>{1});
  EXPECT_EQ(s.objects[1].light_links, (std::vector<Tag>{1, 2})); // all lights by default
  EXPECT_EQ(s.objects[1].material.kind, MaterialKind::Diffuse);
}

// Runs the command line in this process with the test module.
int run(std::vector<std::string> args) {
  args.insert(args.begin(), "vitrel-render");
  args.insert(args.end(), {"--module", VITREL_MODULE_PATH, "--quiet"});
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  return run_cli(static_cast<int>(argv.size()), argv.data());
}

TEST(SceneErrors, TheCommandLineStopsWithoutWritingAnything) {
  std::string scene = test::temp_path("broken.json");
  std::ofstream(scene) << R"({"camera": {"resolution": [16, 9]}, "objects": [{"shape": "cube"}]})";
  std::string out = test::temp_path("broken.png");
  EXPECT_EQ(run({scene, "-o", out}), kExitBadInput);
  EXPECT_FALSE(test::file_exists(out));

  EXPECT_EQ(run({test::temp_path("absent.json"), "-o", out}), kExitBadInput);
  EXPECT_EQ(run({scene, "-o", test::temp_path("picture.jpg")}), kExitUsage);
  EXPECT_EQ(run({"--size", "16by9", "-o", out}), kExitUsage);
  EXPECT_EQ(run({"--size", "16x9", "--crop", "0,0,17,9", "-o", out}), kExitUsage);
  EXPECT_EQ(run({"--spp", "0", "-o", out}), kExitUsage);
  EXPECT_EQ(run({"--photons", "-1", "-o", out}), kExitUsage);
  EXPECT_EQ(run({"--photons", "2.5", "-o", out}), kExitUsage);
  EXPECT_EQ(run({"--photons", "89478486", "-o", out}), kExitUsage);
  std::ofstream(scene) << R"({"camera": {"resolution": [16, 9]},
      "options": {"caustic_photons": 1000, "caustic_radius": 0}})";
  EXPECT_EQ(run({scene, "-o", out}), kExitBadInput);
  EXPECT_FALSE(test::file_exists(out));
}

TEST(SceneErrors, TheCommandLineRendersAGoodScene) {
  std::string scene = test::temp_path("good.json");
  std::ofstream(scene) << R"({"camera": {"resolution": [8, 6]}, "options": {"samples": 1},
      "objects": [{"shape": "sphere", "material": {"type": "glass"}}]})";
  std::string out = test::temp_path("good.exr");
  EXPECT_EQ(run({scene, "-o", out, "--threads", "1"}), kExitOk);
  EXPECT_TRUE(test::file_exists(out));
}

} // namespace
} // namespace vr
