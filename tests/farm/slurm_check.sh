#!/usr/bin/env bash
# One frame across machines: starts a single-node Slurm cluster on this
# machine, submits a small frame in four tiles with render/farm/submit_frame.sh,
# waits for the assembly (bounded), and checks that the assembled frame equals
# the frame rendered whole, pixel for pixel. Then the same frame with four
# progressive passes split into two groups, in two tiles each: the average of
# the groups' frames must equal the frame rendered with all four passes at
# once, to float rounding. Where the cluster cannot start, it says why and
# runs the same tile and assembly scripts without the scheduler, so the
# assembly is still checked (VITREL_REQUIRE_SLURM=1 makes that a failure
# instead).
#   tests/farm/slurm_check.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
renderer="${build}/vitrel-render"
farm="${root}/render/farm"
work="${build}/farm-check"
scene="${root}/render/scenes/default.json"
size=96x54 # 54 rows in 4 bands of 13 and 14: uneven on purpose
render_args=(--spp 2)
start_time=$(date +%s)

fail() {
  echo "slurm_check: $*" >&2
  exit 1
}

rm -rf "${work}"
mkdir -p "${work}"
"${renderer}" "${scene}" --size "${size}" "${render_args[@]}" --quiet -o "${work}/whole.exr"
"${renderer}" "${scene}" --size "${size}" "${render_args[@]}" --passes 4 --photons 100000 \
  --quiet -o "${work}/whole_passes.exr"

# A short folder of its own: munged's socket path must fit a Unix socket name.
cluster="$(mktemp -d /tmp/vitrel-slurm.XXXXXX)"
trap '"${farm}/cluster/stop.sh" "${cluster}"; rm -rf "${cluster}"' EXIT
slurm=0
if "${farm}/cluster/start.sh" "${cluster}" >"${work}/start.log" 2>&1; then
  export SLURM_CONF="${cluster}/slurm.conf"
  slurm=1
else
  [ "${VITREL_REQUIRE_SLURM:-0}" = 1 ] && { cat "${work}/start.log" >&2; fail "the cluster did not start"; }
  echo "slurm_check: SLURM UNAVAILABLE: the cluster did not start:" >&2
  sed 's/^/  /' "${work}/start.log" >&2
  tail -n 5 "${cluster}"/*.log "${cluster}"/munge/*.log 2>/dev/null | sed 's/^/  /' >&2 || true
  echo "slurm_check: running the tile and assembly scripts without the scheduler" >&2
fi

# render_frame NAME TILES PASSES GROUPS RENDERER_ARGS...: the frame into
# WORK/NAME.exr through the farm scripts, by Slurm when it runs.
render_frame() {
  local name="$1" tiles="$2" passes="$3" groups="$4"
  shift 4
  if [ "${slurm}" = 1 ]; then
    local array assembly state="" tile_states
    read -r array assembly < <("${farm}/submit_frame.sh" -n "${tiles}" -p "${passes}" \
      -g "${groups}" -s "${size}" -r "${renderer}" "${scene}" "${work}/${name}.exr" -- "$@")
    echo "slurm_check: ${name}: submitted tiles as job ${array}, assembly as job ${assembly}"
    for _ in $(seq 240); do
      state="$(scontrol show job "${assembly}" 2>/dev/null | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p')"
      case "${state}" in COMPLETED | FAILED | CANCELLED | TIMEOUT | NODE_FAIL | OUT_OF_MEMORY) break ;; esac
      sleep 0.5
    done
    tile_states="$(scontrol show job "${array}" | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p' | sort | uniq -c | xargs)"
    echo "slurm_check: ${name}: tiles ${tile_states}; assembly ${state:-unknown}"
    if [ "${state}" != COMPLETED ]; then
      cat "${work}/${name}.tiles"/slurm-*.out >&2 2>/dev/null || true
      fail "${name}: the assembly job ended ${state:-not within 120 s}"
    fi
  else
    mkdir -p "${work}/${name}.tiles"
    for ((i = 0; i < tiles * groups; ++i)); do
      SLURM_ARRAY_TASK_ID=${i} "${farm}/render_tile.sbatch" "${renderer}" "${scene}" "${size}" \
        "${tiles}" "${work}/${name}.tiles" "${passes}" "${groups}" "$@"
    done
    "${farm}/assemble.sbatch" "${work}/${name}.tiles" "${tiles}" "${work}/${name}.exr" "${groups}"
  fi
}

render_frame frame 4 1 1 "${render_args[@]}"
# Exactly equal: no difference of any size in any channel.
idiff -fail 0 -warn 0 "${work}/whole.exr" "${work}/frame.exr" >"${work}/idiff.log" 2>&1 ||
  { cat "${work}/idiff.log" >&2; fail "the assembled frame differs from the whole one"; }
echo "slurm_check: assembled ${size} frame from 4 tiles equals the whole render pixel for pixel"

render_frame passes 2 4 2 "${render_args[@]}" --photons 100000
# Equal but for the rounding of the sums and averages, a few parts in a
# million of the brightest pixels (about 10 here, in the caustics).
idiff -fail 1e-4 -warn 1e-4 "${work}/whole_passes.exr" "${work}/passes.exr" \
  >"${work}/idiff_passes.log" 2>&1 ||
  { cat "${work}/idiff_passes.log" >&2; fail "the averaged groups of passes differ from the whole render"; }
echo "slurm_check: two groups of two passes, in two tiles each, average to the four-pass" \
  "render to float rounding ($(($(date +%s) - start_time)) s)"
