#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine in the
# given prefix (the build tree's own, never the user's). CTest calls this for
# every Windows test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$(realpath -m "$1"); shift
export WINEDEBUG=-all
# No download prompts; no menu entries in the Linux desktop for shortcuts made
# in the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$here/wine-prefix.sh" "$WINEPREFIX"
exec wine "$@"
