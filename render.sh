#!/usr/bin/env bash
# Renders the built-in default scene to vitrel.png on a fresh Debian machine:
# installs the packages that are missing, builds the shader module and the
# renderer, and renders. Extra arguments go to vitrel-render, e.g.
#   bash render.sh --size 1280x720 --spp 64
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake make g++ libembree-dev libtinyobjloader-dev nlohmann-json3-dev libtbb-dev
  libopenexr-dev libcli11-dev libpng-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-render -DCMAKE_BUILD_TYPE=Release -DVITREL_TESTS=OFF >/dev/null
cmake --build build-render -j"$(nproc)" --target vitrel-render
build-render/vitrel-render -o vitrel.png "$@"
echo "wrote $(pwd)/vitrel.png"
