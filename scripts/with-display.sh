#!/usr/bin/env bash
# with-display.sh COMMAND...: runs COMMAND with an X display, starting a
# private Xvfb when there is none.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi
for n in $(seq 91 120); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if kill -0 "$xvfb" 2>/dev/null; then
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    DISPLAY=":$n" "$@"
    exit $?
  fi
done
echo "with-display.sh: could not start Xvfb" >&2
exit 1
