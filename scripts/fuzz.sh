#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 and runs each for a bounded time.
#   scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=$(WUNT_PRESET=fuzz scripts/build.sh | tail -n 1)
status=0
for target in "$dir"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds=tests/fixtures/corpus/$name
  [ -d "$seeds" ] || seeds=""
  echo "== $name (${seconds}s)"
  mkdir -p "$dir/artifacts"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$dir/artifacts/$name-" \
      -print_final_stats=0 "$corpus" $seeds 2>"$corpus.log"; then
    tail -n 60 "$corpus.log"
    status=1
  else
    grep -E '^(Done|#[0-9]+ *DONE)' "$corpus.log" | tail -n 1 || true
  fi
  rm -rf "$corpus" "$corpus.log"
done
exit $status
