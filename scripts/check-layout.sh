#!/usr/bin/env bash
# Checks the rules a compiler does not: Qt is included only under gui/
# folders and viewer/platform/, and every tracked source is formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
qt_outside=$(git ls-files '*.cpp' '*.h' | grep -vE '(^|/)gui/|^viewer/platform/' |
  xargs grep -lE '^\s*#\s*include\s*[<"]Q' || true)
if [ -n "$qt_outside" ]; then
  echo "Qt included outside gui/ and viewer/platform/:" >&2
  echo "$qt_outside" >&2
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
