#!/usr/bin/env bash
# Builds Clipmend.exe and starts it under Wine (under Xvfb when there is no
# display). Stop it with Ctrl+C, or from its tray menu.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" windows gui
windows="$root/build/windows"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$windows" -j "$(nproc)" --target Clipmend
exec "$root/scripts/with-display.sh" "$root/scripts/wine-run.sh" "$windows/wineprefix" "$windows/app/Clipmend.exe" "$@"
