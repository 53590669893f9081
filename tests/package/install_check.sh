#!/usr/bin/env bash
# Installs a build into a staging prefix, checks the layout, builds the
# minimal host (C) and an outside C++ consumer out of tree against it with
# find_package alone, both including the headers as <vitrel/...>, runs them
# and checks the host's answer against physics: a clear glass sphere in a
# uniform environment returns that environment (within 1 %, the depth limits
# cut the ray tree). A Windows build (vitrel.dll) is checked the same way
# under Wine.
#   tests/package/install_check.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
stage="${build}/stage"
rm -rf "${stage}" "${build}/minimal_host" "${build}/consumer"
cmake --install "${build}" --prefix "${stage}" >/dev/null

fail() {
  echo "install_check: $*" >&2
  exit 1
}

windows=0
[ -f "${stage}/lib/vitrel/vitrel.dll" ] && windows=1
module="${stage}/lib/vitrel/vitrel.so"
[ "${windows}" = 1 ] && module="${stage}/lib/vitrel/vitrel.dll"
for f in "${module}" include/vitrel/vitrel.h include/vitrel/host/state.h include/vitrel/host/ops.h \
  include/vitrel/host/module_handle.h include/vitrel/shader/params.h include/vitrel/shader/exports.h \
  lib/cmake/vitrel/vitrelConfig.cmake lib/cmake/vitrel/vitrelConfigVersion.cmake \
  lib/cmake/vitrel/vitrelTargets.cmake lib/pkgconfig/vitrel.pc; do
  case "${f}" in /*) ;; *) f="${stage}/${f}" ;; esac
  [ -f "${f}" ] || fail "missing ${f#"${stage}"/}"
done

# pkg-config names the same include root and module, wherever the tree lies.
pc_module="$(PKG_CONFIG_PATH="${stage}/lib/pkgconfig" pkg-config --variable=module vitrel)"
[ "$(realpath "${pc_module}")" = "$(realpath "${module}")" ] ||
  fail "pkg-config names the module ${pc_module}"
pc_include="$(PKG_CONFIG_PATH="${stage}/lib/pkgconfig" pkg-config --cflags vitrel | awk '{print $1}')"
[ -f "${pc_include#-I}/vitrel/host/state.h" ] || fail "pkg-config --cflags gives ${pc_include}"
echo '#include <vitrel/vitrel.h>' | ${CC:-cc} -std=c11 -Werror -fsyntax-only ${pc_include} -x c - ||
  fail "<vitrel/vitrel.h> does not compile with pkg-config --cflags"

example=(-S "${root}/examples/minimal_host" -B "${build}/minimal_host"
  -DCMAKE_C_FLAGS="-Wall -Wextra -Werror")
consumer=(-S "${root}/tests/package/consumer" -B "${build}/consumer"
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror")
run=("${build}/minimal_host/minimal_host")
run_consumer=("${build}/consumer/vitrel_consumer")
if [ "${windows}" = 1 ]; then
  # The cross toolchain looks for packages under its own root only, so the
  # package is named by its folder; under Wine the host's / is drive Z:.
  cross=(-DCMAKE_TOOLCHAIN_FILE="${root}/cmake/mingw-w64-x86_64.cmake"
    -Dvitrel_DIR="${stage}/lib/cmake/vitrel" -DCMAKE_EXE_LINKER_FLAGS=-static)
  example+=("${cross[@]}")
  consumer+=("${cross[@]}")
  wine="$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)"
  run=(env WINEDEBUG=-all "${wine}" "${build}/minimal_host/minimal_host.exe" "Z:${module}")
  run_consumer=(env WINEDEBUG=-all "${wine}" "${build}/consumer/vitrel_consumer.exe" "Z:${module}")
else
  example+=(-DCMAKE_PREFIX_PATH="${stage}")
  consumer+=(-DCMAKE_PREFIX_PATH="${stage}")
  # The installed renderer, reached through bin/, renders with the installed module.
  "${stage}/bin/vitrel-render" --size 32x18 --spp 1 --threads 1 -q -o "${build}/stage-render.png" ||
    fail "the installed vitrel-render does not render"
fi
cmake "${consumer[@]}" >/dev/null
cmake --build "${build}/consumer" >/dev/null
"${run_consumer[@]}" | tr -d '\r' | grep -x "consumer: interface 1, a shadow ray declined" ||
  fail "the outside consumer does not run"
cmake "${example[@]}" >/dev/null
cmake --build "${build}/minimal_host" >/dev/null
output="$("${run[@]}" | tr -d '\r')"
echo "${output}"
echo "${output}" | awk '
  /^environment / { for (i = 0; i < 3; ++i) env[i] = $(i + 2) }
  /^colour / { for (i = 0; i < 3; ++i) got[i] = $(i + 2); alpha = $6; seen = 1 }
  END {
    if (!seen) { print "install_check: no colour printed" > "/dev/stderr"; exit 1 }
    for (i = 0; i < 3; ++i) {
      d = got[i] - env[i]; if (d < 0) d = -d
      if (!(env[i] > 0) || d > 0.01 * env[i]) {
        printf "install_check: channel %d is %s, the environment %s\n", i, got[i], env[i] > "/dev/stderr"
        exit 1
      }
    }
    if (alpha != 1) { print "install_check: alpha " alpha ", expected 1" > "/dev/stderr"; exit 1 }
  }'
echo "install_check: ${build##*/}: installed layout, pkg-config, the outside consumer and the minimal host agree"
