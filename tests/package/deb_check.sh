#!/usr/bin/env bash
# Makes the Debian package of a build, installs it with apt-get as a user
# would, builds and runs the minimal host and the outside C++ consumer against
# the system's copy (found by find_package from /usr alone), renders with /usr/bin/vitrel-render, then
# removes the package and checks that nothing of it is left. Needs root and
# changes the system, so the test run does it only where asked (CI, or
# VITREL_DEB_TEST=1).
#   tests/package/deb_check.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
export DEBIAN_FRONTEND=noninteractive

fail() {
  echo "deb_check: $*" >&2
  exit 1
}

status() { dpkg-query -W -f='${db:Status-Status}' vitrel 2>/dev/null || echo not-installed; }
[ "$(status)" = not-installed ] ||
  fail "a vitrel package is on this system already; remove it first (apt-get purge vitrel)"
rm -f "${build}"/vitrel_*.deb
(cd "${build}" && cpack -G DEB >"${build}/deb-cpack.log" 2>&1) || { cat "${build}/deb-cpack.log"; fail "cpack failed"; }
deb="$(ls "${build}"/vitrel_*_amd64.deb)"
echo "deb_check: ${deb##*/}: $(dpkg-deb -f "${deb}" Depends)"
dpkg-deb -c "${deb}" | awk '{print $6, $7, $8}'

apt-get install -y "${deb}" >"${build}/deb-install.log" 2>&1 ||
  { cat "${build}/deb-install.log"; fail "apt-get install failed"; }
trap 'apt-get purge -y vitrel >/dev/null 2>&1 || true' EXIT

rm -rf "${build}/deb-host" "${build}/deb-consumer"
cmake -S "${root}/tests/package/consumer" -B "${build}/deb-consumer" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "${build}/deb-consumer" >/dev/null
"${build}/deb-consumer/vitrel_consumer" || fail "the outside consumer fails against /usr"
cmake -S "${root}/examples/minimal_host" -B "${build}/deb-host" -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "${build}/deb-host" >/dev/null
"${build}/deb-host/minimal_host" | grep '^colour ' || fail "the minimal host fails against /usr"
grep -q '/usr/lib/vitrel/vitrel.so' "${build}/deb-host/CMakeCache.txt" "${build}/deb-host/CMakeFiles/minimal_host.dir/flags.make" ||
  fail "the minimal host was not built against /usr/lib/vitrel"
[ "$(pkg-config --variable=module vitrel | xargs realpath)" = /usr/lib/vitrel/vitrel.so ] ||
  fail "pkg-config does not find the module in /usr"
(cd "${build}" && vitrel-render --size 32x18 --spp 1 --threads 1 -q -o deb-render.png) ||
  fail "/usr/bin/vitrel-render does not render"

apt-get remove -y vitrel >"${build}/deb-remove.log" 2>&1 ||
  { cat "${build}/deb-remove.log"; fail "apt-get remove failed"; }
trap - EXIT
for f in /usr/lib/vitrel /usr/include/vitrel /usr/lib/cmake/vitrel /usr/lib/pkgconfig/vitrel.pc \
  /usr/bin/vitrel-render; do
  if [ -e "${f}" ] || [ -L "${f}" ]; then fail "${f} is left after removal"; fi
done
# Removal leaves only dpkg's record of the package scripts; purging drops it.
case "$(status)" in config-files | not-installed) ;; *) fail "vitrel is $(status) after removal" ;; esac
apt-get purge -y vitrel >>"${build}/deb-remove.log" 2>&1 || fail "apt-get purge failed"
[ "$(status)" = not-installed ] || fail "vitrel is $(status) after purging"
echo "deb_check: installed, used and removed cleanly"
