#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
echo "Built in build/."
