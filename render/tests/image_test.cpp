// Picture output and environment lookups.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <unistd.h>
#include <zlib.h>

#include "core/error.h"
#include "image/image_io.h"
#include "shading/environment.h"
#include "shading/textures.h"
#include "test_scenes.h"

namespace vr {
namespace {

Framebuffer ramp(int w, int h, Region r) {
  Framebuffer fb = make_framebuffer(w, h, r);
  for (size_t i = 0; i < fb.rgba.size(); ++i) fb.rgba[i] = float(i % 97) / 96.0f;
  return fb;
}

TEST(ImageFiles, PngRoundTripsThroughSrgbWithAlpha) {
  Framebuffer fb = ramp(7, 5, {0, 0, 7, 5});
  std::string path = test::temp_path("ramp.png");
  write_image(path, fb);
  Image back = read_image(path);
  ASSERT_EQ(back.width, 7);
  ASSERT_EQ(back.height, 5);
  for (size_t i = 0; i < fb.rgba.size(); ++i)
    EXPECT_NEAR(back.rgba[i], fb.rgba[i], i % 4 == 3 ? 0.5 / 255 : 0.01) << i;
  EXPECT_NEAR(linear_to_srgb(srgb_to_linear(0.5f)), 0.5f, 1e-6);
  EXPECT_NEAR(linear_to_srgb(0.5f), 0.735357f, 1e-5);
}

TEST(ImageFiles, ExrKeepsFloatsAndTheCropsPlaceInTheFrame) {
  Framebuffer fb = ramp(20, 10, {4, 2, 9, 7});
  fb.rgba[0] = 7.5f; // beyond what a PNG could hold
  std::string path = test::temp_path("crop.exr");
  write_image(path, fb);
  Image back = read_image(path); // the data window only
  ASSERT_EQ(back.width, 5);
  ASSERT_EQ(back.height, 5);
  for (size_t i = 0; i < fb.rgba.size(); ++i)
    EXPECT_NEAR(back.rgba[i], fb.rgba[i], 4e-3 * fb.rgba[i]);
}

TEST(ImageFiles, FailuresLeaveNoFileBehind) {
  Framebuffer fb = ramp(2, 2, {0, 0, 2, 2});
  EXPECT_THROW(write_image(test::temp_path("no-such-folder/x.png"), fb), OutputError);
  EXPECT_THROW(write_image(test::temp_path("x.tiff"), fb), OutputError);
  EXPECT_FALSE(test::file_exists(test::temp_path("x.tiff")));
  EXPECT_EQ(format_of("A.EXR"), ImageFormat::Exr);
}

std::string read_error(const std::string &path) {
  try {
    read_image(path);
  } catch (const std::exception &e) {
    return e.what();
  }
  return "no error";
}

std::string file_bytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void put_u32(std::string *bytes, size_t at, uint32_t v, bool big_endian) {
  for (int i = 0; i < 4; ++i)
    (*bytes)[at + size_t(i)] = static_cast<char>(v >> (big_endian ? 24 - 8 * i : 8 * i));
}

// A PNG whose header declares width x height, its checksum made right.
std::string png_declaring(uint32_t width, uint32_t height) {
  std::string path = test::temp_path("declared.png");
  write_image(path, ramp(2, 1, {0, 0, 2, 1}));
  std::string bytes = file_bytes(path);
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  put_u32(&bytes, 16, width, true);
  put_u32(&bytes, 20, height, true);
  uLong crc = crc32(0L, reinterpret_cast<const Bytef *>(bytes.data() + 12), 17);
  put_u32(&bytes, 29, static_cast<uint32_t>(crc), true);
  write_bytes(path, bytes);
  return path;
}

// The declared size is checked against the limits before any pixel memory is
// taken: a damaged or hostile header cannot make the reader allocate
// gigabytes (or spend minutes clearing them) before it fails.
TEST(ImageFiles, DeclaredSizesPastTheLimitsAreRefusedBeforeReading) {
  const std::string limits = " pixels; the most read is 16384 a side and 134217728 in all";
  EXPECT_EQ(read_error(png_declaring(20000, 1)), "the image is 20000 x 1" + limits);
  EXPECT_EQ(read_error(png_declaring(16384, 16384)), "the image is 16384 x 16384" + limits);
  // Within the limits the declared size is read, and the missing rows are the failure.
  EXPECT_NE(read_error(png_declaring(2, 1)).find("no error"), std::string::npos);
  EXPECT_EQ(read_error(png_declaring(16384, 2)).find("the image is"), std::string::npos);

  // A text chunk that claims 2 GB after the header.
  std::string chunk = file_bytes(png_declaring(2, 1));
  chunk.insert(33, std::string("\x7f\xff\xff\xf0tEXtcomment", 15));
  std::string claim_path = test::temp_path("claim.png");
  write_bytes(claim_path, chunk);
  EXPECT_EQ(read_error(claim_path),
            "damaged PNG: the chunk tEXt claims 2147483632 bytes, more than the file holds");

  std::string path = test::temp_path("declared.exr");
  write_image(path, ramp(2, 1, {0, 0, 2, 1}));
  const std::string exr = file_bytes(path);
  std::string wide = exr;
  size_t window = wide.find(std::string("dataWindow\0box2i\0", 17));
  ASSERT_NE(window, std::string::npos);
  put_u32(&wide, window + 17 + 4 + 8, 1u << 30, false); // xMax
  write_bytes(path, wide);
  EXPECT_EQ(read_error(path), "the image is 1073741825 x 1" + limits);

  // An attribute that claims 2 GB in a file of a few hundred bytes.
  std::string claim = exr;
  std::string attribute("comment\0string\0\0\0\0\0", 19);
  put_u32(&attribute, 15, 0x7ffffff0u, false);
  claim.insert(8, attribute);
  write_bytes(path, claim);
  EXPECT_EQ(read_error(path), "damaged OpenEXR header: the attribute comment claims 2147483632 "
                              "bytes, more than the file holds");
  // A channel list that runs past its declared size: the library reads it to
  // its end and then takes the following bytes for the next attribute's size.
  std::string channels = exr;
  size_t list = channels.find(std::string("channels\0chlist\0", 16));
  ASSERT_NE(list, std::string::npos);
  channels[list + 16] = static_cast<char>(channels[list + 16] - 1);
  write_bytes(path, channels);
  EXPECT_EQ(read_error(path),
            "damaged OpenEXR header: the channel list channels does not end at its size");
  // A preview of 65536 x 65536 pixels in 8 bytes.
  std::string preview = exr;
  std::string thumbnail("preview\0preview\0\x08\0\0\0\0\0\x01\0\0\0\x01\0", 28);
  preview.insert(8, thumbnail);
  write_bytes(path, preview);
  EXPECT_EQ(read_error(path),
            "damaged OpenEXR header: the preview's size does not match its pixels");
  write_bytes(path, exr.substr(0, 6));
  EXPECT_EQ(read_error(path), "damaged OpenEXR header: it ends early");
  write_bytes(path, "not an image at all");
  EXPECT_EQ(read_error(path), "damaged OpenEXR header: not an OpenEXR file");
}

// Only regular files are read as images: a device behind a picture's name
// would be read without end.
TEST(ImageFiles, OnlyRegularFilesAreRead) {
  std::string link = test::temp_path("zero.png");
  std::remove(link.c_str());
  ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
  EXPECT_EQ(read_error(link), "not a regular file");
  EXPECT_EQ(read_error("/dev/null"), "not a regular file");
  EXPECT_EQ(read_error(test::temp_path("absent.exr")), "cannot open the file");
}

// Half floats hold infinities and NaNs; an environment holding them would
// turn every ray that sees it into one.
TEST(ImageFiles, ExrPixelsThatAreNotFiniteAreRefused) {
  std::string path = test::temp_path("nan.exr");
  Framebuffer fb = ramp(3, 2, {0, 0, 3, 2});
  fb.rgba[(3 + 1) * 4 + 2] = std::numeric_limits<float>::quiet_NaN();
  write_image(path, fb);
  EXPECT_EQ(read_error(path), "pixel (1, 1) is not a finite colour");
  fb.rgba[(3 + 1) * 4 + 2] = 1e6f; // beyond the largest half: infinite once stored
  write_image(path, fb);
  EXPECT_EQ(read_error(path), "pixel (1, 1) is not a finite colour");
}

TEST(Environments, ConstantGradientAndLatLong) {
  Environment e;
  e.kind = EnvironmentKind::Gradient;
  e.zenith = {0, 0, 1, 1}, e.horizon = {1, 1, 1, 1}, e.ground = {0.2f, 0.2f, 0.2f, 1};
  e.alpha = 0.25f;
  Colour up = environment_colour(e, {0, 1, 0}), flat = environment_colour(e, {1, 0, 0});
  Colour mid = environment_colour(e, normalize({1, 1, 0}));
  EXPECT_EQ(up.r, 0);
  EXPECT_EQ(flat.r, 1);
  EXPECT_NEAR(mid.r, 1 - std::sqrt(0.5), 1e-6); // linear in the height of the direction
  EXPECT_NEAR(environment_colour(e, {0, -1, 0}).g, 0.2f, 1e-7);
  EXPECT_EQ(up.a, 0.25f);

  // A 4 x 2 lat-long image: a bright texel straight ahead (-z) in the upper row.
  e.kind = EnvironmentKind::Image;
  e.image = {4, 2, std::vector<float>(4 * 2 * 4, 0.0f)};
  for (int x = 0; x < 4; ++x) e.image.rgba[(4 + x) * 4 + 1] = 1; // lower row green
  e.intensity = 2;
  EXPECT_NEAR(environment_colour(e, {0, -1, 0}).g, 2, 1e-6);
  EXPECT_NEAR(environment_colour(e, {0, 1, 0}).g, 0, 1e-6);
  EXPECT_NEAR(environment_colour(e, {0, 0, -1}).g, 1, 1e-6); // the horizon lies between the rows
}

TEST(Textures, CheckerAndNoise) {
  Texture checker{TextureKind::Checker, {1, 1, 1, 1}, {0, 0, 0, 1}, 4, 1};
  EXPECT_EQ(eval_texture(checker, 0.1, 0.1, {}).r, 1);
  EXPECT_EQ(eval_texture(checker, 0.3, 0.1, {}).r, 0);
  EXPECT_EQ(eval_texture(checker, 0.3, 0.3, {}).r, 1);
  EXPECT_EQ(eval_texture(checker, -0.1, 0.1, {}).r, 0); // continues below zero

  EXPECT_EQ(gradient_noise({3, -2, 7}), 0); // zero on the lattice
  double lo = 1, hi = 0, sum = 0;
  const int n = 2000;
  for (int i = 0; i < n; ++i) {
    double v = fractal_noise({i * 0.37, i * 0.11, i * 0.53}, 4);
    lo = std::min(lo, v), hi = std::max(hi, v), sum += v;
  }
  EXPECT_GE(lo, 0);
  EXPECT_LE(hi, 1);
  EXPECT_GT(hi - lo, 0.3);
  EXPECT_NEAR(sum / n, 0.5, 0.05);
  Texture noise{TextureKind::Noise, {0, 0, 0, 0}, {2, 4, 6, 8}, 1, 3};
  Colour c = eval_texture(noise, 0, 0, {0.3, 0.4, 0.5});
  EXPECT_NEAR(c.g, 2 * c.r, 1e-6);
  double a = fractal_noise({0.3, 0.4, 0.5}, 2), b = fractal_noise({0.3001, 0.4, 0.5}, 2);
  EXPECT_NEAR(a, b, 1e-3); // continuous
}

} // namespace
} // namespace vr
