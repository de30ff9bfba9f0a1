#!/usr/bin/env bash
# Checks of the Debian package, one step per call, for CTest:
#   check_package.sh STEP BUILD_DIR
#   build     makes the package with CPack and unpacks it into a scratch root
#   desktop   the menu entry and the AppStream data pass their validators
#   lintian   lintian finds no error (its other findings are printed)
#   programs  the unpacked programs run with a scratch home: the demo
#             season, wunt-export, the Viewer up to its main window, the
#             updater against the local server; the installed tree stays
#             as it was
# Exits 77 (skipped) when a tool the step needs is missing.
set -euo pipefail
step=$1
build=$(cd "$2" && pwd)
work=$build/package-check
root=$work/root

need() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"
      exit 77
    fi
  done
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
package() {
  local debs=("$work"/wunt_*_amd64.deb)
  [ -f "${debs[0]}" ] || fail "no package in $work (the build step makes it)"
  echo "${debs[0]}"
}
# Every path below the root with its type, mode, size and contents' hash.
tree_state() {
  (cd "$root" && find . -printf '%y %m %s %p -> %l\n' | sort &&
    find . -type f -print0 | sort -z | xargs -0 sha256sum)
}

case "$step" in
  build)
    need cpack dpkg-deb dpkg-shlibdeps file
    rm -rf "$work"
    mkdir -p "$work"
    cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
      { cat "$work/cpack.log"; fail "cpack"; }
    deb=$(package)
    dpkg-deb -x "$deb" "$root"
    dpkg-deb -I "$deb"
    (cd "$root" && find . ! -type d | sort)
    ;;
  desktop)
    need desktop-file-validate appstreamcli
    desktop-file-validate "$root"/usr/share/applications/org.wunt.Viewer.desktop
    appstreamcli validate --no-net "$root"/usr/share/metainfo/org.wunt.Viewer.metainfo.xml
    # What the entry names must be there.
    exec_line=$(sed -n 's/^Exec=//p' "$root"/usr/share/applications/org.wunt.Viewer.desktop)
    [ -x "$root/usr/bin/$exec_line" ] || fail "the menu entry starts $exec_line, which is not installed"
    icon=$(sed -n 's/^Icon=//p' "$root"/usr/share/applications/org.wunt.Viewer.desktop)
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon.svg"
    ;;
  lintian)
    need lintian
    lintian --fail-on error --tag-display-limit 0 --display-info "$(package)" || fail "lintian"
    ;;
  programs)
    [ -d "$root/usr" ] || fail "nothing unpacked in $root (the build step unpacks it)"
    home=$work/home
    rm -rf "$home" "$work/xdg"
    mkdir -p "$home"
    before=$(tree_state)
    if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
    unset XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY

    echo "== wunt-export --help"
    "$root/usr/bin/wunt-export" --help >"$work/help.txt" || fail "wunt-export --help"
    grep -q -- "--season" "$work/help.txt" || fail "wunt-export --help says nothing of --season"
    echo "== the demo season and wunt-export without --data use the home data folder"
    HOME=$home "$root/usr/bin/wunt-make-demo-season" --season 7 --years 2 --first-year 2001 \
      --no-pictures || fail "wunt-make-demo-season"
    [ -f "$home/.local/share/wunt/Data/7/2002/Park.ini" ] || fail "no demo season in the home"
    HOME=$home "$root/usr/bin/wunt-export" --season 7 --catalogue --year 2002 --csv \
      --out "$work/catalogue.csv" || fail "wunt-export of the home demo season"
    [ -s "$work/catalogue.csv" ] || fail "an empty catalogue"

    echo "== the Viewer up to its main window"
    out=$(HOME=$home XDG_DATA_HOME=$work/xdg QT_QPA_PLATFORM=offscreen WUNT_VIEWER_SELF_CHECK=1 \
      timeout 300 "$root/usr/bin/wunt-viewer" 2>"$work/viewer.err") ||
      { cat "$work/viewer.err"; fail "the Viewer ended with an error"; }
    echo "$out"
    grep -q "^main window shown: WUNT2.1 Viewer" <<<"$out" || fail "no main window"
    grep -qx "data root: $work/xdg/wunt" <<<"$out" || fail "not the home data root"
    [ -d "$work/xdg/wunt/Data" ] && [ -f "$work/xdg/wunt/Server.ini" ] ||
      fail "no Data/ and Server.ini in $work/xdg/wunt"

    echo "== the updater loads a season into the home data folder"
    server_log=$work/server.log
    "$build/tools/update-server" --demo --data "$work/server" --season 8 --years 2 --port 0 \
      --copy-base-to "$work/xdg/wunt/Data" >"$server_log" 2>&1 &
    server=$!
    trap 'kill $server 2>/dev/null || true' EXIT
    port=""
    for _ in $(seq 600); do
      port=$(sed -n 's/^Listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$server_log")
      if [ -n "$port" ] || ! kill -0 "$server" 2>/dev/null; then break; fi
      sleep 0.1
    done
    [ -n "$port" ] || { cat "$server_log"; fail "the update server did not start"; }
    printf '[Update]\r\nHost = 127.0.0.1\r\nPort = %s\r\n[Game]\r\nHost = 127.0.0.1\r\nPort = %s\r\n' \
      "$port" "$port" >"$work/xdg/wunt/Server.ini"
    (cd "$work/xdg/wunt" && XDG_DATA_HOME=$work/xdg HOME=$home timeout 300 \
      "$root/usr/lib/wunt/WUNT_Updater" -t 1 -r 8 Data </dev/null >"$work/updater.out") ||
      fail "the updater"
    grep -v '^Progress' "$work/updater.out" || true
    years=$(find "$work/xdg/wunt/Data/8" -name Park.ini | wc -l)
    [ "$years" = 2 ] || fail "$years game years in the home data folder, not 2"

    echo "== the installed tree is unchanged"
    after=$(tree_state)
    [ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after") || true; fail "changed"; }
    ;;
  *)
    fail "unknown step $step"
    ;;
esac
echo "$step: passed"
