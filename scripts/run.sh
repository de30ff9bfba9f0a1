#!/usr/bin/env bash
# Installs what is needed, builds everything (which puts Readme.txt beside
# the Viewer), writes the demo season beside the Viewer (once) and starts
# it. The Viewer needs a desktop session; to try it headless, run with
# QT_QPA_PLATFORM=offscreen (it then runs until it is killed). CI never
# calls this script.
#
#   --with-update-server  also starts tools/update-server on a free loopback
#                         port, serving a demo season 8 of 15 game years,
#                         points the Viewer's Server.ini at it for this run
#                         and stops the server when the Viewer exits.
set -euo pipefail
cd "$(dirname "$0")/.."
with_server=0
for arg in "$@"; do
  case "$arg" in
    --with-update-server) with_server=1 ;;
    *) echo "usage: scripts/run.sh [--with-update-server]" >&2; exit 2 ;;
  esac
done
scripts/install-deps.sh
dir=$(scripts/build.sh | tail -n 1)
viewer_dir="$dir/viewer"
# The player's Readme.txt belongs in the folder a player gets.
test -f "$viewer_dir/Readme.txt" || { echo "The build wrote no $viewer_dir/Readme.txt" >&2; exit 1; }
if [ ! -d "$viewer_dir/Data/7" ]; then
  "$dir/tools/make-demo-season" --data "$viewer_dir/Data"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No desktop session found: set DISPLAY, or QT_QPA_PLATFORM=offscreen to try it headless." >&2
  exit 1
fi
# Chromium's sandbox refuses to run as root.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
if [ "$with_server" = 0 ]; then exec "$viewer_dir/Viewer"; fi

# The server's own copy of season 8 lives in the build folder; the Viewer's
# Data/8 gets the season's files without any game year, once, so that the
# updater has every year to fetch and the player's own settings stay.
server_log="$dir/update-server.log"
copy_base=()
if [ ! -d "$viewer_dir/Data/8" ]; then copy_base=(--copy-base-to "$viewer_dir/Data"); fi
"$dir/tools/update-server" --demo --data "$dir/update-server-data" --season 8 --years 15 \
  --port 0 "${copy_base[@]}" >"$server_log" 2>&1 &
server_pid=$!
ini="$viewer_dir/Server.ini"
saved_ini=""
if [ -f "$ini" ]; then
  # Kept beside the original, inside our own folder, until the Viewer ends.
  saved_ini="$ini.before-update-server"
  cp "$ini" "$saved_ini"
fi
cleanup() {
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  if [ -n "$saved_ini" ]; then mv "$saved_ini" "$ini"; else rm -f "$ini"; fi
}
trap cleanup EXIT

port=""
for _ in $(seq 600); do
  port=$(sed -n 's/^Listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$server_log")
  if [ -n "$port" ] || ! kill -0 "$server_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "The update server did not start:" >&2
  cat "$server_log" >&2
  exit 1
fi
printf '[Update]\r\nHost = 127.0.0.1\r\nPort = %s\r\n[Game]\r\nHost = 127.0.0.1\r\nPort = %s\r\n' \
  "$port" "$port" >"$ini.new"
mv "$ini.new" "$ini"
echo "Update server on 127.0.0.1:$port (log: $server_log); choose \"8. Runde\" and press \"Updater (Rundendaten)\"." >&2
"$viewer_dir/Viewer"
