#!/usr/bin/env bash
# Refreshes the README's before-and-after pictures: the help file's pictures
# (sample CAD drawings improved by the engine and drawn by GDI under Wine)
# are built and the README's pairs copied into docs/pictures/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" native windows
windows="$root/build/windows"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$windows" -j "$(nproc)" --target help_file >/dev/null
for picture in crop-before crop-after width-before width-after rotate-before rotate-after; do
  cp "$windows/help/html/velloform-documentation/pictures/$picture.png" "$root/docs/pictures/"
done
