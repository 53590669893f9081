#!/usr/bin/env bash
# Renders the documentation's pictures small and with few samples, so that
# the gallery's stage scene, its materials and its assembly cannot rot: every
# picture is made, has one tile per value, and within each row every tile
# differs from the others (a material that failed to reach the sphere would
# repeat a tile: the renderer's sampling is deterministic, so equal scenes
# give equal tiles); the default scene differs with and without caustics.
#   tests/gallery/gallery_check.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
work="${build}/gallery-check"
rm -rf "${work}"
mkdir -p "${work}"
start_time=$(date +%s)

fail() {
  echo "gallery_check: $*" >&2
  exit 1
}

bash "${root}/docs/make_pictures.sh" -r "${build}/vitrel-render" -o "${work}" \
  -s 40x30 -n 2 -t "${work}/tiles" >/dev/null

idiff -fail 0 -warn 0 "${work}/default.png" "${work}/default_without_caustics.png" >/dev/null 2>&1 &&
  fail "the default scene is the same picture with and without caustics"

count=0
for picture in gallery_presets:5 gallery_blur:3 gallery_dispersion:3 gallery_opacity:3 \
  gallery_reflection_boost:3 gallery_inside_color:3; do
  name="${picture%:*}" n="${picture#*:}"
  [ -s "${work}/${name}.png" ] || fail "${name}.png was not made"
  width="$(identify -format %w "${work}/${name}.png")"
  [ "${width}" -ge $((n * 40)) ] || fail "${name}.png is ${width} pixels wide for ${n} tiles"
  for ((i = 0; i < n; ++i)); do
    for ((j = i + 1; j < n; ++j)); do
      if idiff -fail 0 -warn 0 "${work}/tiles/${name}_${i}.png" "${work}/tiles/${name}_${j}.png" \
        >/dev/null 2>&1; then
        fail "${name}: tiles ${i} and ${j} are the same picture"
      fi
    done
    count=$((count + 1))
  done
done
echo "gallery_check: ${count} tiles in 6 pictures, every tile its own ($(($(date +%s) - start_time)) s)"
