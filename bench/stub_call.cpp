// The cost of reaching a host operation: a direct call inside one binary, an
// ordinary call through the PLT into a shared library, and a call through a
// bound stub, all to the same trivial function.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>

#include "host/binding.h"
#include <vitrel/shader/exports.h>

extern "C" float trivial_op(float exponent, HostState *, Vector *);

namespace {

// Kept out of line and opaque to the optimiser, so each iteration is a call.
__attribute__((noinline, noipa)) float local_op(float exponent, HostState *, Vector *) {
  return exponent;
}

void DirectCall(benchmark::State &s) {
  float x = 1.0f;
  for (auto _ : s) {
    x = local_op(x, nullptr, nullptr);
    benchmark::DoNotOptimize(x);
  }
}

void PltCall(benchmark::State &s) {
  float x = 1.0f;
  for (auto _ : s) {
    x = trivial_op(x, nullptr, nullptr);
    benchmark::DoNotOptimize(x);
  }
}

void StubCall(benchmark::State &s) {
  float x = 1.0f;
  for (auto _ : s) {
    x = mi_phong_specular(x, nullptr, nullptr);
    benchmark::DoNotOptimize(x);
  }
}

BENCHMARK(DirectCall);
BENCHMARK(PltCall);
BENCHMARK(StubCall);

// Prints the stub/PLT ratio once all runs are in.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &r : runs) {
      // A single run, or the mean of repeated runs.
      const std::string name = r.benchmark_name();
      if (name == "PltCall" || name == "PltCall_mean") plt = r.GetAdjustedCPUTime();
      if (name == "StubCall" || name == "StubCall_mean") stub = r.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (plt > 0) std::printf("stub/PLT ratio: %.2f (target at most 1.30)\n", stub / plt);
  }
  double plt = 0, stub = 0;
};

} // namespace

int main(int argc, char **argv) {
  // Bind the stub to the library this program already links for its PLT call.
  void *library = dlopen(BENCH_TRIVIAL_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (library == nullptr) {
    std::fprintf(stderr, "trivial operation library not loaded: %s\n", dlerror());
    return 2;
  }
  miSetModuleHandle(library);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
