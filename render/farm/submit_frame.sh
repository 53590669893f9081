#!/usr/bin/env bash
# Submits one frame to Slurm: a job array rendering it in TILES bands, one
# EXR crop per task, and a job that assembles them once all succeeded.
#   render/farm/submit_frame.sh [-n TILES] [-p PASSES -g GROUPS] [-s WxH] [-c CPUS] [-r RENDERER] SCENE OUT.exr [-- RENDERER_ARGS...]
# TILES defaults to 4, the size to the scene's resolution, CPUS (per task) to
# 1, RENDERER to vitrel-render on the PATH (the installed package) or else
# build-render/vitrel-render. With -p, the frame's PASSES progressive passes
# are split among GROUPS equal groups (GROUPS must divide PASSES): each band
# is rendered once per group, with that group's passes alone, and the
# assembly averages the groups' frames; passes depend only on their index,
# so the average is the frame rendered with all its passes, to float
# rounding. SCENE and OUT must lie where every node sees them; the crops go
# to OUT's folder, in OUT_NAME.tiles/. Prints the two job ids: the array's,
# then the assembly's.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tiles=4 size="" cpus=1 renderer="" passes=1 groups=1
while getopts n:p:g:s:c:r: opt; do
  case "${opt}" in
  n) tiles="${OPTARG}" ;;
  p) passes="${OPTARG}" ;;
  g) groups="${OPTARG}" ;;
  s) size="${OPTARG}" ;;
  c) cpus="${OPTARG}" ;;
  r) renderer="${OPTARG}" ;;
  *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 2 ] || {
  sed -n '4p' "$0" | sed 's/^# *//' >&2
  exit 2
}
[ "${passes}" -ge 1 ] && [ "${groups}" -ge 1 ] && [ $((passes % groups)) -eq 0 ] || {
  echo "submit_frame: -p ${passes} -g ${groups}: the groups must split the passes evenly" >&2
  exit 2
}
scene="$(realpath "$1")" out="$(realpath -m "$2")"
shift 2
[ "${1:-}" != "--" ] || shift
[ -n "${renderer}" ] || renderer="$(command -v vitrel-render || echo "${here}/../../build-render/vitrel-render")"
renderer="$(realpath "${renderer}")"
if [ -z "${size}" ]; then
  # The scene's "resolution": [W, H], as the renderer would take it.
  size="$(tr -d '\n' <"${scene}" | sed -n 's/.*"resolution": *\[ *\([0-9]*\) *, *\([0-9]*\) *\].*/\1x\2/p')"
  [ -n "${size}" ] || {
    echo "submit_frame: ${scene} names no resolution; give -s WxH" >&2
    exit 2
  }
fi
crops="${out%.exr}.tiles"
mkdir -p "${crops}"
rm -f "${crops}"/tile_*.exr "${crops}"/group_*.exr

array="$(sbatch --parsable --array=0-$((tiles * groups - 1)) --cpus-per-task="${cpus}" \
  --output="${crops}/slurm-%A_%a.out" \
  "${here}/render_tile.sbatch" "${renderer}" "${scene}" "${size}" "${tiles}" "${crops}" \
  "${passes}" "${groups}" "$@")"
array="${array%%;*}"
assembly="$(sbatch --parsable --dependency=afterok:"${array}" --kill-on-invalid-dep=yes \
  --output="${crops}/slurm-%j.out" "${here}/assemble.sbatch" "${crops}" "${tiles}" "${out}" \
  "${groups}")"
echo "${array} ${assembly%%;*}"
