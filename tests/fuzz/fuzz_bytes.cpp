#include "fuzz/fuzz_bytes.h"

#include <cmath>
#include <limits>

namespace fuzz {

namespace {

// Choices 0..11 are fixed values; 12 and up are raw bits.
constexpr uint8_t kRawScalar = 12;
constexpr uint8_t kRawWide = 12;
constexpr uint8_t kSmallInt = 6;
constexpr uint8_t kRawInt = 7;

float fixed_scalar(uint8_t choice) {
  using L = std::numeric_limits<float>;
  switch (choice) {
  case 0:
    return 0.0f;
  case 1:
    return -0.0f;
  case 2:
    return 1.0f;
  case 3:
    return 0.5f;
  case 4:
    return 1.5f;
  case 5:
    return -1.0f;
  case 6:
    return L::quiet_NaN();
  case 7:
    return L::infinity();
  case 8:
    return -L::infinity();
  case 9:
    return L::denorm_min();
  case 10:
    return L::max();
  default:
    return -L::max();
  }
}

double fixed_wide(uint8_t choice) {
  using L = std::numeric_limits<double>;
  switch (choice) {
  case 0:
    return 0.0;
  case 1:
    return -0.0;
  case 2:
    return 1.0;
  case 3:
    return 0.5;
  case 4:
    return 2.0;
  case 5:
    return -1.0;
  case 6:
    return L::quiet_NaN();
  case 7:
    return L::infinity();
  case 8:
    return -L::infinity();
  case 9:
    return L::denorm_min();
  case 10:
    return 1e300;
  default:
    return 1e-3;
  }
}

} // namespace

float Bytes::scalar(bool *nonfinite) {
  const uint8_t choice = byte() % 16;
  float v;
  if (choice < kRawScalar) {
    v = fixed_scalar(choice);
  } else {
    const uint32_t bits = u32();
    std::memcpy(&v, &bits, sizeof v);
  }
  if (!std::isfinite(v)) *nonfinite = true;
  return v;
}

double Bytes::wide(bool *nonfinite) {
  const uint8_t choice = byte() % 16;
  double v;
  if (choice < kRawWide) {
    v = fixed_wide(choice);
  } else if (choice < 14) {
    // A single-precision value widened, as most renderer distances are.
    const uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    v = f;
  } else {
    const uint64_t bits = u64();
    std::memcpy(&v, &bits, sizeof v);
  }
  if (!std::isfinite(v)) *nonfinite = true;
  return v;
}

int32_t Bytes::integer() {
  const uint8_t choice = byte() % 8;
  switch (choice) {
  case 0:
    return 0;
  case 1:
    return 1;
  case 2:
    return 2;
  case 3:
    return -1;
  case 4:
    return std::numeric_limits<int32_t>::max();
  case 5:
    return std::numeric_limits<int32_t>::min();
  case kSmallInt:
    return static_cast<int8_t>(byte());
  default:
    return static_cast<int32_t>(u32());
  }
}

Colour Bytes::colour(bool *nonfinite) {
  Colour c;
  c.r = scalar(nonfinite);
  c.g = scalar(nonfinite);
  c.b = scalar(nonfinite);
  c.a = scalar(nonfinite);
  return c;
}

Vector Bytes::vector(bool *nonfinite) {
  Vector v;
  v.x = scalar(nonfinite);
  v.y = scalar(nonfinite);
  v.z = scalar(nonfinite);
  return v;
}

void Writer::scalar(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  byte(kRawScalar);
  u32(bits);
}

void Writer::wide(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  byte(14);
  u64(bits);
}

void Writer::integer(int32_t v) {
  byte(kRawInt);
  u32(static_cast<uint32_t>(v));
}

} // namespace fuzz
