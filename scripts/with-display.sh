#!/usr/bin/env bash
# with-display.sh COMMAND...: runs COMMAND with an X display, starting a
# private Xvfb when there is none. Xvfb chooses a free display number itself
# and reports it once it accepts clients (-displayfd), so runs started at the
# same time never race for a number.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$number_file"' EXIT
number=
for _ in $(seq 300); do  # 30 s
  number=$(head -n 1 "$number_file")
  [ -n "$number" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$number" ]; then
  echo "with-display.sh: Xvfb reported no display within 30 s" >&2
  exit 1
fi
status=0
DISPLAY=":$number" "$@" || status=$?
exit $status
