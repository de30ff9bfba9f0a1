#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite.
# Extra arguments go to ctest, for example: scripts/test.sh -L unit
# WUNT_SANITIZE=1 runs the sanitizer tree (no Qt) instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=$(scripts/build.sh | tail -n 1)
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" "$@"
