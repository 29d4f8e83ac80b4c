#!/usr/bin/env bash
# libreoffice_reader.sh BUILD_DIR TEST_PROGRAM WINE_PREFIX: LibreOffice's part
# of the rendering check. The render tests (TEST_PROGRAM, run from BUILD_DIR)
# have written every original and output, Windows metafiles and enhanced ones,
# into render-check/libreoffice/input/;
# LibreOffice draws them all into PNG pages (render-check/libreoffice/pages/)
# in one start, then the render test's LibreOffice case compares the pages
# under Wine.
set -euo pipefail
build=$(realpath "$1") program=$(realpath "$2") prefix=$(realpath -m "$3")
root=$(cd "$(dirname "$0")/../../.." && pwd)
folder="$build/render-check/libreoffice"

if ! soffice=$(command -v soffice); then
  echo "libreoffice_reader.sh: soffice not found; scripts/ensure-deps.sh windows installs libreoffice-draw-nogui" >&2
  exit 1
fi
shopt -s nullglob
inputs=("$folder"/input/*.wmf "$folder"/input/*.emf)
if [ ${#inputs[@]} -eq 0 ]; then
  echo "libreoffice_reader.sh: no outputs in $folder/input (the render test writes them)" >&2
  exit 1
fi

# soffice, LibreOffice's starter, hands at most 247 files on to the program and
# drops the rest without a word; soffice.bin, the program itself, takes them
# all. A profile of its own keeps it apart from any LibreOffice running.
office="$(dirname "$(readlink -f "$soffice")")/soffice.bin"
rm -rf "$folder/pages"
draw() {
  timeout 300 "$office" -env:UserInstallation="file://$folder/profile" --headless --norestore \
    --convert-to png --outdir "$folder/pages" "${inputs[@]}" >"$folder/soffice.log" 2>&1
}
start=$(date +%s%N)
status=0
draw || status=$?
# A new profile makes the program ask to be started again (81) before it draws.
if [ $status -eq 81 ]; then
  status=0
  draw || status=$?
fi
if [ $status -ne 0 ]; then
  [ $status -eq 124 ] && echo "libreoffice_reader.sh: LibreOffice did not finish within 300 s" >&2
  cat "$folder/soffice.log" >&2
  exit 1
fi
pages=("$folder"/pages/*.png)
echo "LibreOffice drew ${#pages[@]} of ${#inputs[@]} pictures in $(( ($(date +%s%N) - start) / 1000000 )) ms"

cd "$build"
CLIPMEND_LIBREOFFICE_PAGES="Z:$folder/pages" exec "$root/scripts/wine-run.sh" "$prefix" "$program" \
  --gtest_filter='Readers/ReaderRender.*/LibreOffice:EmfRender.LibreOffice*'
