#!/usr/bin/env bash
# Renders the documentation's pictures: the default scene with and without
# caustics, and the gallery from render/scenes/gallery_stage.json, assembled
# with ImageMagick's montage: one row of the presets, and one row per key
# parameter swept across three values, every tile labelled with its value.
#   docs/make_pictures.sh [-r RENDERER] [-o OUT_DIR] [-s WxH] [-n SPP] [-t TILE_DIR]
# RENDERER defaults to build-render/vitrel-render (bash render.sh builds it),
# OUT_DIR to docs/images; -s and -n override the scenes' size and samples
# (the test renders small and quick); -t keeps the single tiles there. Every
# picture stays under 200 KB.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "${here}/.." && pwd)"
stage="${root}/render/scenes/gallery_stage.json"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
renderer="${root}/build-render/vitrel-render"
out="${here}/images"
tiles=""
render_args=(-q)
while getopts r:o:s:n:t: opt; do
  case "${opt}" in
  r) renderer="${OPTARG}" ;;
  o) out="${OPTARG}" ;;
  s) render_args+=(--size "${OPTARG}") ;;
  n) render_args+=(--spp "${OPTARG}") ;;
  t) tiles="${OPTARG}" ;;
  *) exit 2 ;;
  esac
done
work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
[ -n "${tiles}" ] || tiles="${work}"
mkdir -p "${out}" "${tiles}"

# The default scene as it is, and without its photons. The shaders' alpha is
# for compositing; the pictures show the colour alone, in full colour.
for picture in default:"" default_without_caustics:"--photons 0"; do
  # shellcheck disable=SC2086
  "${renderer}" "${render_args[@]}" ${picture#*:} -o "${work}/${picture%%:*}.png"
  convert "${work}/${picture%%:*}.png" -alpha off -define png:compression-level=9 \
    "PNG24:${out}/${picture%%:*}.png"
  echo "${out}/${picture%%:*}.png"
done

# tile NAME MATERIAL: the stage with MATERIAL (glass fields as scene JSON) in
# place of the sphere's preset, rendered to TILES/NAME.png.
tile() {
  local scene="${work}/$1.json"
  sed "s|\"preset\": \"clear\"|$2|" "${stage}" >"${scene}"
  grep -qF "$2" "${scene}" || {
    echo "make_pictures: the stage has no \"preset\": \"clear\" to replace" >&2
    exit 1
  }
  "${renderer}" "${scene}" "${render_args[@]}" -o "${tiles}/$1.png"
}

# row PICTURE TITLE LABEL MATERIAL [LABEL MATERIAL]...: one labelled row.
row() {
  local picture="$1" title="$2" n=0
  local cells=()
  shift 2
  while [ $# -gt 0 ]; do
    tile "${picture}_${n}" "$2"
    cells+=(-label "$1" "${tiles}/${picture}_${n}.png")
    n=$((n + 1))
    shift 2
  done
  # The alpha the shaders write is the glass's coverage, for compositing; the
  # gallery shows the colour alone. The caustics' fine grain compresses
  # poorly, so the pictures keep a 256-colour palette: a quarter of the bytes,
  # and the difference does not show at this size.
  montage -font "${font}" -pointsize 12 -title "${title}" -alpha off "${cells[@]}" -tile "${n}x1" \
    -geometry +3+3 -background white +dither -colors 256 -define png:compression-level=9 \
    "PNG8:${out}/${picture}.png"
  echo "${out}/${picture}.png"
}

row gallery_presets "The presets" \
  clear '"preset": "clear"' \
  frosted '"preset": "frosted"' \
  tinted '"preset": "tinted"' \
  crystal '"preset": "crystal"' \
  coated '"preset": "coated"'

row gallery_blur "blur (samples 8)" \
  "blur 0.05" '"blur": 0.05, "samples": 8' \
  "blur 0.2" '"blur": 0.2, "samples": 8' \
  "blur 0.5" '"blur": 0.5, "samples": 8'

row gallery_dispersion "dispersion (spectrum_weight 1, samples 8)" \
  "dispersion 0.03" '"dispersion": 0.03, "spectrum_weight": 1, "samples": 8' \
  "dispersion 0.1" '"dispersion": 0.1, "spectrum_weight": 1, "samples": 8' \
  "dispersion 0.25" '"dispersion": 0.25, "spectrum_weight": 1, "samples": 8'

row gallery_opacity "opacity (illuminate 1, the coated preset's colours)" \
  "opacity 0.2" '"preset": "coated", "opacity": 0.2, "illuminate": 1' \
  "opacity 0.5" '"preset": "coated", "opacity": 0.5, "illuminate": 1' \
  "opacity 0.9" '"preset": "coated", "opacity": 0.9, "illuminate": 1'

row gallery_reflection_boost "reflection_boost" \
  "reflection_boost 0.2" '"reflection_boost": 0.2' \
  "reflection_boost 0.5" '"reflection_boost": 0.5' \
  "reflection_boost 0.9" '"reflection_boost": 0.9'

row gallery_inside_color "inside_color (inside_density 1.5)" \
  "inside_color 0.9 0.6 0.25" '"inside_color": [0.9, 0.6, 0.25], "inside_density": 1.5' \
  "inside_color 0.45 0.75 0.55" '"inside_color": [0.45, 0.75, 0.55], "inside_density": 1.5' \
  "inside_color 0.35 0.55 0.9" '"inside_color": [0.35, 0.55, 0.9], "inside_density": 1.5'
