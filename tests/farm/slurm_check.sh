#!/usr/bin/env bash
# One frame across machines: starts a single-node Slurm cluster on this
# machine, submits a small frame in four tiles with render/farm/submit_frame.sh,
# waits for the assembly (bounded), and checks that the assembled frame equals
# the frame rendered whole, pixel for pixel. Where the cluster cannot start,
# it says why and runs the same tile and assembly scripts without the
# scheduler, so the assembly is still checked (VITREL_REQUIRE_SLURM=1 makes
# that a failure instead).
#   tests/farm/slurm_check.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
renderer="${build}/vitrel-render"
farm="${root}/render/farm"
work="${build}/farm-check"
scene="${root}/render/scenes/default.json"
size=96x54 # 54 rows in 4 bands of 13 and 14: uneven on purpose
tiles=4
render_args=(--spp 2)
start_time=$(date +%s)

fail() {
  echo "slurm_check: $*" >&2
  exit 1
}

rm -rf "${work}"
mkdir -p "${work}"
"${renderer}" "${scene}" --size "${size}" "${render_args[@]}" --quiet -o "${work}/whole.exr"

# A short folder of its own: munged's socket path must fit a Unix socket name.
cluster="$(mktemp -d /tmp/vitrel-slurm.XXXXXX)"
trap '"${farm}/cluster/stop.sh" "${cluster}"; rm -rf "${cluster}"' EXIT
if "${farm}/cluster/start.sh" "${cluster}" >"${work}/start.log" 2>&1; then
  export SLURM_CONF="${cluster}/slurm.conf"
  read -r array assembly < <("${farm}/submit_frame.sh" -n "${tiles}" -s "${size}" \
    -r "${renderer}" "${scene}" "${work}/frame.exr" -- "${render_args[@]}")
  echo "slurm_check: submitted tiles as job ${array}, assembly as job ${assembly}"
  state=""
  for _ in $(seq 240); do
    state="$(scontrol show job "${assembly}" 2>/dev/null | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p')"
    case "${state}" in COMPLETED | FAILED | CANCELLED | TIMEOUT | NODE_FAIL | OUT_OF_MEMORY) break ;; esac
    sleep 0.5
  done
  tile_states="$(scontrol show job "${array}" | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p' | sort | uniq -c | xargs)"
  echo "slurm_check: tiles ${tile_states}; assembly ${state:-unknown}"
  if [ "${state}" != COMPLETED ]; then
    cat "${work}"/frame.tiles/slurm-*.out >&2 2>/dev/null || true
    fail "the assembly job ended ${state:-not within 120 s}"
  fi
else
  [ "${VITREL_REQUIRE_SLURM:-0}" = 1 ] && { cat "${work}/start.log" >&2; fail "the cluster did not start"; }
  echo "slurm_check: SLURM UNAVAILABLE: the cluster did not start:" >&2
  sed 's/^/  /' "${work}/start.log" >&2
  tail -n 5 "${cluster}"/*.log "${cluster}"/munge/*.log 2>/dev/null | sed 's/^/  /' >&2 || true
  echo "slurm_check: running the tile and assembly scripts without the scheduler" >&2
  mkdir -p "${work}/frame.tiles"
  for ((i = 0; i < tiles; ++i)); do
    SLURM_ARRAY_TASK_ID=${i} "${farm}/render_tile.sbatch" "${renderer}" "${scene}" "${size}" \
      "${tiles}" "${work}/frame.tiles" "${render_args[@]}"
  done
  "${farm}/assemble.sbatch" "${work}/frame.tiles" "${tiles}" "${work}/frame.exr"
fi

# Exactly equal: no difference of any size in any channel.
idiff -fail 0 -warn 0 "${work}/whole.exr" "${work}/frame.exr" >"${work}/idiff.log" 2>&1 ||
  { cat "${work}/idiff.log" >&2; fail "the assembled frame differs from the whole one"; }
echo "slurm_check: assembled ${size} frame from ${tiles} tiles equals the whole render" \
  "pixel for pixel ($(($(date +%s) - start_time)) s)"
