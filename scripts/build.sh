#!/usr/bin/env bash
# Configures and builds one tree from a preset of CMakePresets.json.
#   WUNT_PRESET     release (default), asan or fuzz
#   WUNT_SANITIZE=1 the same as WUNT_PRESET=asan
#   WUNT_BUILD_DIR  build folder (default: the preset's: build, build-asan,
#                   build-fuzz)
# Prints the build folder's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${WUNT_PRESET:-release}
if [ "${WUNT_SANITIZE:-0}" = 1 ]; then preset=asan; fi
case "$preset" in
  release) dir=build ;;
  *) dir=build-$preset ;;
esac
dir=${WUNT_BUILD_DIR:-$dir}
args=(--preset "$preset" -B "$dir")
if command -v ccache >/dev/null 2>&1; then
  args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Paths inside the checkout are hashed relative to the build folder, so
  # another clone of the same sources finds the compiled objects again.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
fi
cmake "${args[@]}" ${WUNT_CMAKE_ARGS:-} >/dev/null
cmake --build "$dir" -j"$(nproc)" >&2
echo "$dir"
