#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite.
# Extra arguments go to ctest, for example: scripts/test.sh -L unit
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
dir=${WUNT_BUILD_DIR:-build}
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" "$@"
