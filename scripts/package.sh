#!/usr/bin/env bash
# Builds the Release tree and the Debian package build/wunt_<version>_amd64.deb,
# whose dependencies are read from the programs' libraries. Install it with
#   sudo apt install ./build/wunt_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=$(scripts/build.sh | tail -n 1)
rm -f "$dir"/wunt_*_amd64.deb
cpack --config "$dir/CPackConfig.cmake" -B "$dir" >&2
ls "$dir"/wunt_*_amd64.deb
