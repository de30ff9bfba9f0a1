#!/usr/bin/env bash
# Configures and builds one tree.
#   WUNT_BUILD_DIR   build folder (default: build)
#   WUNT_SANITIZE=1  AddressSanitizer + UndefinedBehaviorSanitizer build, without
#                    Qt: that tree proves the core never needs it
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${WUNT_BUILD_DIR:-build}
flags=()
if [ "${WUNT_SANITIZE:-0}" = 1 ]; then
  flags+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DWUNT_BENCH=OFF
    "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    "-DCMAKE_C_FLAGS=-fsanitize=address,undefined -fno-omit-frame-pointer" -DWUNT_WITH_QT=OFF)
else
  flags+=(-DCMAKE_BUILD_TYPE=Release -DWUNT_WITH_QT=ON)
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}" ${WUNT_CMAKE_ARGS:-} >/dev/null
cmake --build "$dir" -j"$(nproc)"
