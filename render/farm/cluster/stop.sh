#!/usr/bin/env bash
# Stops the cluster start.sh started in DIR: the Slurm daemons, then munged,
# each by the process id it recorded, waiting (bounded) for each to exit.
#   render/farm/cluster/stop.sh DIR
set -uo pipefail
dir="$(realpath -m "$1")"

stop_pid_file() {
  local file="$1" pid
  [ -f "${file}" ] || return 0
  pid="$(cat "${file}")"
  kill "${pid}" 2>/dev/null || return 0
  for _ in $(seq 40); do
    kill -0 "${pid}" 2>/dev/null || return 0
    sleep 0.25
  done
  kill -9 "${pid}" 2>/dev/null
}

stop_pid_file "${dir}/slurmd.pid"
stop_pid_file "${dir}/slurmctld.pid"
stop_pid_file "${dir}/munge/munged.pid"
