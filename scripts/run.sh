#!/usr/bin/env bash
# Installs what is needed, builds everything, writes the demo season beside
# the Viewer (once) and starts it. The Viewer needs a desktop session; to
# try it headless, run with QT_QPA_PLATFORM=offscreen (it then runs until
# it is killed). CI never calls this script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=$(scripts/build.sh | tail -n 1)
viewer_dir="$dir/viewer"
if [ ! -d "$viewer_dir/Data/7" ]; then
  "$dir/tools/make-demo-season" --data "$viewer_dir/Data"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No desktop session found: set DISPLAY, or QT_QPA_PLATFORM=offscreen to try it headless." >&2
  exit 1
fi
# Chromium's sandbox refuses to run as root.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
exec "$viewer_dir/Viewer"
