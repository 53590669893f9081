// Turning fuzzer bytes into the values a renderer could hand the glass
// shaders. Values are read front to back; an input that runs out reads as
// zeros, so every prefix of an input is itself a valid input. Each number
// comes from a one-byte choice among the values that break arithmetic (zeros
// of both signs, one, NaN, infinities, denormals, the extremes) or raw bits.
#ifndef VITREL_TESTS_FUZZ_FUZZ_BYTES_H
#define VITREL_TESTS_FUZZ_FUZZ_BYTES_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <vitrel/host/state.h>

namespace fuzz {

class Bytes {
public:
  Bytes() = default;
  Bytes(const uint8_t *data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return at_end() ? 0 : data_[pos_++]; }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{byte()} << (8 * i);
    return v;
  }
  uint64_t u64() { return u32() | uint64_t{u32()} << 32; }
  bool at_end() const { return pos_ >= size_; }

  // A single-precision number; *nonfinite is set when it is NaN or infinite.
  float scalar(bool *nonfinite);
  // A double (distances, sample values, falloff distances).
  double wide(bool *nonfinite);
  // A 32-bit integer: small counts and levels most of the time, sometimes the
  // extremes or raw bits.
  int32_t integer();
  Colour colour(bool *nonfinite);
  Vector vector(bool *nonfinite);

private:
  const uint8_t *data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
};

// The encoding read by Bytes, for writing seed inputs.
class Writer {
public:
  void byte(uint8_t b) { out_.push_back(b); }
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void u64(uint64_t v) {
    u32(static_cast<uint32_t>(v));
    u32(static_cast<uint32_t>(v >> 32));
  }
  void scalar(float v);
  void wide(double v);
  void integer(int32_t v);
  void colour(Colour c) { scalar(c.r), scalar(c.g), scalar(c.b), scalar(c.a); }
  void vector(Vector v) { scalar(v.x), scalar(v.y), scalar(v.z); }
  const std::vector<uint8_t> &bytes() const { return out_; }

private:
  std::vector<uint8_t> out_;
};

} // namespace fuzz

#endif
