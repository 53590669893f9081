#!/usr/bin/env bash
# The whole test suite, four ways, with the fuzzers and a thread check:
# Release with the x86-64 stubs, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, Release with the portable C++ stubs, and the
# Windows module (vitrel.dll, cross-built with mingw-w64) with its test
# programs run under Wine; the renderer's threaded tests under
# ThreadSanitizer; the module and scene fuzzers (clang's libFuzzer) for a
# fixed, seeded number of inputs. Warnings are errors. The
# benchmarks are built, not run. The Release and Windows builds are also
# installed and used as an integrator would; the Release build renders the
# gallery small and a frame on a local Slurm cluster.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"

run() {
  local dir="$1"
  shift
  echo "== ${dir}: $*"
  cmake -S . -B "${dir}" -DVITREL_WERROR=ON -DVITREL_REQUIRE_TESTS=ON "$@" >/dev/null
  cmake --build "${dir}" -j"${jobs}"
  ctest --test-dir "${dir}" --output-on-failure
}

run build-release -DCMAKE_BUILD_TYPE=Release -DVITREL_BENCH=ON -DVITREL_REQUIRE_RENDER=ON
# The installed package, the gallery's scenes and the farm, on the Release build.
bash tests/package/install_check.sh build-release
bash tests/gallery/gallery_check.sh build-release
bash tests/farm/slurm_check.sh build-release
# Installing the Debian package changes the system: only in CI, or when asked.
if [ -n "${CI:-}" ] || [ "${VITREL_DEB_TEST:-0}" = 1 ]; then
  bash tests/package/deb_check.sh build-release
fi
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run build-asan -DCMAKE_BUILD_TYPE=Debug -DVITREL_SANITIZE=ON -DVITREL_REQUIRE_RENDER=ON
# The renderer's tests that render with several threads, the photon pass
# included, under ThreadSanitizer (the module built with it too).
run build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVITREL_TSAN=ON -DVITREL_REQUIRE_RENDER=ON
# The fuzzers (clang's libFuzzer), each replaying its corpus and then a fixed,
# seeded number of new inputs.
run build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVITREL_FUZZ=ON -DVITREL_REQUIRE_RENDER=ON \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_ASM_COMPILER=clang-14
run build-portable -DCMAKE_BUILD_TYPE=Release -DVITREL_PORTABLE_STUBS=ON -DVITREL_REQUIRE_RENDER=ON
WINEDEBUG=-all run build-win -DCMAKE_BUILD_TYPE=Release -DVITREL_RENDER=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
bash tests/package/install_check.sh build-win
