#!/usr/bin/env bash
# Starts a single-node Slurm cluster on this machine (munged, slurmctld and
# slurmd on localhost, as root), all its files in DIR, and waits until the
# node takes jobs. Point the Slurm commands at it with
#   export SLURM_CONF=DIR/slurm.conf
# and stop it with stop.sh DIR.
#   render/farm/cluster/start.sh DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dir="$(realpath -m "$1")"
mkdir -p "${dir}/munge" "${dir}/state" "${dir}/spool"
# munged insists: a socket folder everyone may enter, a key only it may read.
chmod 755 "${dir}" "${dir}/munge"
sed -e "s|@DIR@|${dir}|g" -e "s|@CPUS@|$(nproc)|g" "${here}/slurm.conf.in" >"${dir}/slurm.conf"
cp "${here}/cgroup.conf" "${dir}/cgroup.conf"
if [ ! -f "${dir}/munge/munge.key" ]; then
  head -c 1024 /dev/urandom >"${dir}/munge/munge.key"
  chmod 400 "${dir}/munge/munge.key"
fi

munged --socket="${dir}/munge/munge.socket.2" --key-file="${dir}/munge/munge.key" \
  --log-file="${dir}/munge/munged.log" --pid-file="${dir}/munge/munged.pid" \
  --seed-file="${dir}/munge/munged.seed"
export SLURM_CONF="${dir}/slurm.conf"
slurmctld -f "${SLURM_CONF}"
# The node is named localhost whatever this machine's host name is.
slurmd -f "${SLURM_CONF}" -N localhost

for _ in $(seq 60); do
  state="$(sinfo -h -n localhost -o %T 2>/dev/null || true)"
  [ "${state}" = idle ] && exit 0
  sleep 0.5
done
echo "start.sh: the node did not become idle (state: ${state:-none}); see ${dir}/*.log" >&2
exit 1
