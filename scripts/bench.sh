#!/usr/bin/env bash
# Builds the Release tree and runs the benchmarks, each printing its ratio
# against a baseline of the same run last. With names (for example
# `scripts/bench.sh jcalg1 big_season`) only those run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=$(scripts/build.sh | tail -n 1)
if [ $# -eq 0 ]; then
  programs=("$dir"/bench/bench_*)
else
  programs=()
  for name in "$@"; do programs+=("$dir/bench/bench_$name"); done
fi
for program in "${programs[@]}"; do
  echo "== $(basename "$program")"
  "$program"
done
