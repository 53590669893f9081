#!/usr/bin/env bash
# A fuzzer's fixed run for the test suite: the committed corpus, then a fixed
# number of inputs mutated from it with a fixed seed. New inputs go to a
# scratch folder, never into the committed corpus; a failing input is left
# there as crash-* for reproducing with `FUZZER FILE`.
#   run_fixed.sh FUZZER CORPUS RUNS SCRATCH
set -euo pipefail
fuzzer="$1" corpus="$2" runs="$3" scratch="$4"
rm -rf "${scratch}"
mkdir -p "${scratch}/new"
exec "${fuzzer}" -seed=1 -runs="${runs}" -print_final_stats=1 \
  -artifact_prefix="${scratch}/" "${scratch}/new" "${corpus}"
