// The host operation stubs, linked into this program from the module's own
// objects and bound to renderer modules built for the test.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/binding.h"
#include "host/platform.h"
#include <vitrel/shader/exports.h>

namespace {

struct HostModule {
  void *handle;
  int (*calls)(int slot);
  void (*set_float)(float);
  void (*reset)();
  void (*last_query)(int *, HostState **, Tag *, void **, int *, double *, const char **);

  explicit HostModule(const char *path) {
    std::string error;
    handle = testhost::open_module(path, &error);
    if (handle == nullptr) throw std::runtime_error(error);
    calls = reinterpret_cast<int (*)(int)>(testhost::find_symbol(handle, "binding_host_calls"));
    set_float =
        reinterpret_cast<void (*)(float)>(testhost::find_symbol(handle, "binding_host_set_float"));
    reset = reinterpret_cast<void (*)()>(testhost::find_symbol(handle, "binding_host_reset"));
    last_query = reinterpret_cast<decltype(last_query)>(
        testhost::find_symbol(handle, "binding_host_last_query"));
  }
};

HostModule &full_host() {
  static HostModule m(BINDING_HOST_FULL_PATH);
  return m;
}
HostModule &partial_host() {
  static HostModule m(BINDING_HOST_PARTIAL_PATH);
  return m;
}

std::string handle_text(void *handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%08" PRIxPTR, reinterpret_cast<uintptr_t>(handle));
  return text;
}

std::string lookup_failure(const char *name, void *handle) {
  return std::string("dlsym failed on \"") + name + "\" (handle: " + handle_text(handle) +
         " error: 127)\n";
}

uint32_t bits_of(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

float float_of_bits(uint32_t b) {
  float f;
  std::memcpy(&f, &b, sizeof f);
  return f;
}

// The portable stubs forward the named arguments of mi_query only.
#if VITREL_PORTABLE_STUBS
#define SKIP_WITHOUT_TRAMPOLINES() GTEST_SKIP() << "portable stubs forward named arguments only"
#else
#define SKIP_WITHOUT_TRAMPOLINES() (void)0
#endif

class Binding : public ::testing::Test {
protected:
  void SetUp() override {
    full_host().reset();
    if (partial_host().reset) partial_host().reset();
    miSetModuleHandle(full_host().handle);
  }
};

// Calls a stub with zero / null arguments.
template <typename R, typename... A>
void call_with_zeros(R (*op)(A...)) {
  op(A()...);
}
template <typename R, typename... A>
void call_with_zeros(R (*op)(A..., ...)) {
  op(A()...);
}

TEST_F(Binding, EveryStubReachesTheOperationOfItsOwnName) {
  const int slots[] = {
#define SLOT_OF(slot, ret, name, params, args) slot,
      VITREL_HOST_OPERATIONS(SLOT_OF)
#undef SLOT_OF
  };
#define CALL_ONCE(slot, ret, name, params, args) call_with_zeros<ret>(name);
  VITREL_HOST_OPERATIONS(CALL_ONCE)
#undef CALL_ONCE
  for (int slot : slots) {
    EXPECT_EQ(full_host().calls(slot), 1) << "slot " << slot;
    EXPECT_NE(vitrel_dl_table[slot], nullptr) << "slot " << slot;
  }
  int filled = 0;
  for (void *p : vitrel_dl_table) filled += p != nullptr;
  EXPECT_EQ(filled, 25);
}

TEST_F(Binding, IntegerAndPointerResultsComeFromTheBoundOperation) {
  Vector v{};
  EXPECT_EQ(mi_refraction_dir(&v, nullptr, 1.0f, 1.5f), 197);
  EXPECT_EQ(mi_trace_reflection(nullptr, nullptr, nullptr), 84);
  EXPECT_EQ(mi_sample(nullptr, nullptr, nullptr, 2, nullptr), 93);
  int dummy = 0;
  void *evaluated = mi_phen_eval(nullptr, &dummy);
  EXPECT_NE(evaluated, nullptr);
  EXPECT_NE(evaluated, &dummy);
  EXPECT_EQ(mi_phen_eval(nullptr, &dummy), evaluated);
}

TEST_F(Binding, FloatResultsReachTheCallerBitForBit) {
  const uint32_t patterns[] = {0x3F800000u, 0x80000000u, 0x00000001u, 0x7F7FFFFFu,
                               0x7FC12345u, 0xFF800000u, 0x3DCCCCCDu};
  Vector dir{1.0f, 0.0f, 0.0f};
  for (uint32_t p : patterns) {
    full_host().set_float(float_of_bits(p));
    EXPECT_EQ(bits_of(mi_fresnel_reflection(nullptr, 1.0f, 1.5f)), p);
    EXPECT_EQ(bits_of(mi_phong_specular(8.0f, nullptr, &dir)), p);
  }
}

TEST_F(Binding, VariableArgumentsOfQueryArriveUnchanged) {
  SKIP_WITHOUT_TRAMPOLINES();
  HostState state{};
  int answer = 0;
  const char *text = "renderer";
  EXPECT_EQ(mi_query(7, &state, 0xDEADBEEFu, &answer, -12345, 2.718281828459045, text), 215);
  int code, extra_int;
  HostState *got_state;
  Tag tag;
  void *result;
  double extra_double;
  const char *extra_text;
  full_host().last_query(&code, &got_state, &tag, &result, &extra_int, &extra_double, &extra_text);
  EXPECT_EQ(code, 7);
  EXPECT_EQ(got_state, &state);
  EXPECT_EQ(tag, 0xDEADBEEFu);
  EXPECT_EQ(result, &answer);
  EXPECT_EQ(extra_int, -12345);
  EXPECT_EQ(extra_double, 2.718281828459045);
  EXPECT_EQ(extra_text, text);
}

TEST_F(Binding, VariableArgumentsSurviveTheFirstCallToo) {
  SKIP_WITHOUT_TRAMPOLINES();
  // The unbound path saves and restores the argument registers around the
  // lookup, %al and the vector registers included.
  miSetModuleHandle(full_host().handle);
  ASSERT_EQ(vitrel_dl_table[215], nullptr);
  int answer = 0;
  mi_query(7, nullptr, 5, &answer, 77, -0.125, "first");
  int code, extra_int;
  HostState *got_state;
  Tag tag;
  void *result;
  double extra_double;
  const char *extra_text;
  full_host().last_query(&code, &got_state, &tag, &result, &extra_int, &extra_double, &extra_text);
  EXPECT_EQ(extra_int, 77);
  EXPECT_EQ(extra_double, -0.125);
  EXPECT_STREQ(extra_text, "first");
}

TEST_F(Binding, OperationsNeverCalledAreNeverLookedUp) {
  miSetModuleHandle(partial_host().handle);
  testing::internal::CaptureStderr();
  EXPECT_EQ(mi_fresnel_reflection(nullptr, 1.0f, 1.5f), 0.25f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  int filled = 0;
  for (void *p : vitrel_dl_table) filled += p != nullptr;
  EXPECT_EQ(filled, 1);
}

TEST_F(Binding, BoundOperationsAreNotLookedUpAgain) {
  full_host().set_float(0.75f);
  EXPECT_EQ(mi_fresnel_reflection(nullptr, 1.0f, 1.5f), 0.75f);
  // Repoint the filled slot: a fresh lookup would overwrite it, a bound call
  // goes where the slot says.
  void *bound = vitrel_dl_table[184];
  ASSERT_NE(bound, nullptr);
  vitrel_dl_table[184] = testhost::find_symbol(partial_host().handle, "mi_fresnel_reflection");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(mi_fresnel_reflection(nullptr, 1.0f, 1.5f), 0.25f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(full_host().calls(184), 1);
}

TEST_F(Binding, SetModuleHandleForgetsEveryBinding) {
  full_host().set_float(0.75f);
  EXPECT_EQ(mi_fresnel_reflection(nullptr, 1.0f, 1.5f), 0.75f);
  EXPECT_EQ(mi_query(1, nullptr, 0, nullptr), 215);

  EXPECT_EQ(miSetModuleHandle(partial_host().handle), 0);
  for (void *p : vitrel_dl_table) EXPECT_EQ(p, nullptr);
  EXPECT_EQ(mi_fresnel_reflection(nullptr, 1.0f, 1.5f), 0.25f);
  EXPECT_EQ(mi_query(1, nullptr, 0, nullptr), 2215);
  EXPECT_EQ(full_host().calls(184), 1);
}

TEST_F(Binding, MissingHandleIsReportedAndTheLookupFails) {
  miSetModuleHandle(nullptr);
  testing::internal::CaptureStderr();
  const float reflectance = mi_fresnel_reflection(nullptr, 1.0f, 1.5f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "DYNLOAD: dl_handle null\n"
            "dlsym failed on \"mi_fresnel_reflection\" (handle: 00000000 error: 127)\n");
  EXPECT_EQ(bits_of(reflectance), 0u);
  // A null handle is not a search of the whole process: even an operation this
  // very program defines (as a stub) is not found.
  EXPECT_EQ(vitrel_dl_table[184], nullptr);
}

TEST_F(Binding, FailedLookupIsReportedEveryCallAndAnswersZero) {
  miSetModuleHandle(partial_host().handle);
  Vector out{7.0f, 8.0f, 9.0f};
  for (int attempt = 0; attempt < 2; ++attempt) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(mi_refraction_dir(&out, nullptr, 1.0f, 1.5f), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              lookup_failure("mi_refraction_dir", partial_host().handle));
    EXPECT_EQ(vitrel_dl_table[197], nullptr);
  }
  // Nothing was written through the arguments.
  EXPECT_EQ(out.x, 7.0f);
  EXPECT_EQ(out.y, 8.0f);
  EXPECT_EQ(out.z, 9.0f);

  testing::internal::CaptureStderr();
  int answer = 3;
  EXPECT_EQ(mi_phen_eval(nullptr, &answer), nullptr);
  mi_reflection_dir(&out, nullptr);
  EXPECT_EQ(mi_phong_specular(2.0f, nullptr, &out), 0.0f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            lookup_failure("mi_phen_eval", partial_host().handle) +
                lookup_failure("mi_reflection_dir", partial_host().handle) +
                lookup_failure("mi_phong_specular", partial_host().handle));
}

TEST_F(Binding, ConcurrentFirstCallsAllReachTheOperation) {
  full_host().set_float(0.5f);
  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([t, &wrong] {
      for (int i = 0; i < 1000; ++i)
        if (mi_fresnel_reflection(nullptr, 1.0f, 1.5f) != 0.5f) ++wrong[t];
    });
  for (std::thread &t : threads) t.join();
  for (int w : wrong) EXPECT_EQ(w, 0);
  EXPECT_EQ(full_host().calls(184), 8000);
}

} // namespace
