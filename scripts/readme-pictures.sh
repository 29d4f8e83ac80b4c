#!/usr/bin/env bash
# Refreshes the README's before-and-after pictures in docs/pictures/: the
# sample CAD drawings that docs/pictures/pictures.list names (from
# ../shared/corpus/wmf beside the repository, or $CLIPMEND_CORPUS_DIR),
# improved by the engine and drawn by GDI under Wine with wmfrender.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" native windows
corpus=${CLIPMEND_CORPUS_DIR:-$root/../shared/corpus/wmf}
if [ ! -d "$corpus" ]; then
  echo "readme-pictures.sh: the README's pictures are drawn from the sample pictures, which are missing: $corpus" >&2
  exit 1
fi
corpus=$(cd "$corpus" && pwd)
windows="$root/build/windows"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$windows" -j "$(nproc)" --target wmfrender >/dev/null
bitmaps="$windows/readme-pictures"
rm -rf "$bitmaps"
mkdir -p "$bitmaps"
"$root/scripts/wine-run.sh" "$windows/wineprefix" "$windows/tools/wmfrender/wmfrender.exe" \
  "Z:$root/docs/pictures/pictures.list" "Z:$corpus" "Z:$bitmaps"
pairs=()
for bmp in "$bitmaps"/*.bmp; do
  pairs+=("$bmp" "$root/docs/pictures/$(basename "$bmp" .bmp).png")
done
python3 "$root/scripts/png_file.py" "${pairs[@]}"
