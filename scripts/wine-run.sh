#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine in the
# given prefix (the build tree's own, never the user's). CTest calls this for
# every Windows test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$(realpath -m "$1"); shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
"$here/wine-prefix.sh" "$WINEPREFIX"
exec wine "$@"
