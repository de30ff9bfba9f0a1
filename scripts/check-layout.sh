#!/usr/bin/env bash
# Checks the rules a compiler does not: Qt is included only under gui/
# folders and viewer/platform/, every folder includes only the folders below
# it, no source files include each other in a circle, and every tracked
# source is formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
qt_outside=$(git ls-files '*.cpp' '*.h' | grep -vE '(^|/)gui/|(^|/)viewer/platform/' |
  xargs grep -lE '^\s*#\s*include\s*[<"]Q' || true)
if [ -n "$qt_outside" ]; then
  echo "Qt included outside gui/ and viewer/platform/:" >&2
  echo "$qt_outside" >&2
  status=1
fi
# The floors, lowest first: common -> data -> calc -> report -> {wizard,
# diagram, attractions}; update and the updater stand on common. A gui/
# folder may include its own subsystem, what that may include, the gui/
# folders of those and the platform. The wizard's windows open every other
# window, so wizard/gui may also include the other gui/ folders.
declare -A allowed=(
  [common]=""
  [common/demo]="common"
  [updater]="common"
  [viewer/platform]="common"
  [viewer/data]="common"
  [viewer/calc]="common viewer/data"
  [viewer/report]="common viewer/data viewer/calc"
  [viewer/wizard]="common common/demo viewer/data viewer/calc viewer/report"
  [viewer/diagram]="common viewer/data viewer/calc viewer/report"
  [viewer/attractions]="common viewer/data viewer/calc viewer/report"
  [viewer/update]="common"
  [viewer/gui]="viewer/platform viewer/wizard/gui"
  [tools/support]="common updater"
  [tools/cp1252-text]="common"
  [tools/jcalg1-pack]="common updater tools/support"
  [tools/make-demo-season]="common common/demo tools/support"
  [tools/update-server]="common common/demo updater tools/support"
  [tools/wunt-export]="common viewer/data viewer/calc viewer/report viewer/wizard viewer/diagram viewer/attractions"
)
declare -A extra_gui=([viewer/wizard/gui]="viewer/diagram/gui viewer/attractions/gui viewer/update/gui")
allowed_for() {
  local dir=$1
  if [ -z "${allowed[$dir]+set}" ]; then
    local base=${dir%/gui} list=""
    for d in ${allowed[$base]-}; do list+=" $d $d/gui"; done
    echo "$base $list viewer/platform ${extra_gui[$dir]-}"
  else
    echo "${allowed[$dir]-}"
  fi
}
production=$(git ls-files '*.cpp' '*.h' | grep -vE '^(tests|bench|fuzz)/')
for file in $production; do
  dir=$(dirname "$file")
  base=$dir
  [ -n "${allowed[$dir]+set}" ] || base=${dir%/gui}
  if [ -z "${allowed[$base]+set}" ]; then
    echo "$dir/ has no row in the allowed-includes table of $0" >&2
    status=1
    continue
  fi
  ok=" $(allowed_for "$dir") "
  for inc in $(sed -nE 's/^\s*#\s*include\s*"([^"]+)".*/\1/p' "$file"); do
    inc_dir=$(dirname "$inc")
    [ "$inc_dir" = "$dir" ] || [[ $ok == *" $inc_dir "* ]] && continue
    echo "$file includes $inc: $dir/ may not include $inc_dir/" >&2
    status=1
  done
done
# tsort names every loop it finds in the "includer included" pairs.
loops=$(for file in $production; do
  sed -nE 's/^\s*#\s*include\s*"([^"]+)".*/\1/p' "$file" | sed "s|^|$file |"
done | tsort 2>&1 >/dev/null || true)
if [ -n "$loops" ]; then
  echo "Source files include each other in a circle:" >&2
  echo "$loops" >&2
  status=1
fi

unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -E ': warning: ' | cut -d: -f1 | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "Not formatted with clang-format (run clang-format -i on them):" >&2
  echo "$unformatted" >&2
  status=1
fi
[ $status = 0 ] && echo "layout and format checks passed"
exit $status
