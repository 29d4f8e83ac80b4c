#!/usr/bin/env bash
# Measures the engine and the whole program on generated CAD-like pictures
# of 1, 10 and 50 MB (and enhanced metafiles of 10 and 50 MB), and prints one
# table:
#   - a plain copy of the file (cp) next to wmfmend as a whole process with
#     every option on, with wmfmend's peak memory (/usr/bin/time);
#   - under Wine, the platform's own path on the same files: EnumMetaFile and
#     PlayMetaFileRecord into CreateMetaFileW;
#   - the running Clipmend.exe: clipboard change to modified picture, for a
#     small and a 10 MB picture;
# then the engine's own benchmark (reading, analysis and a full play, next to
# a plain copy in memory).
#   scripts/bench.sh            everything
#   scripts/bench.sh --native   without the Windows measurements
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
with_windows=1
[ "${1:-}" = "--native" ] && with_windows=0
if [ $with_windows = 1 ]; then
  "$root/scripts/ensure-deps.sh" native windows gui
else
  "$root/scripts/ensure-deps.sh" native
fi

native="$root/build/bench"
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCLIPMEND_TESTS=OFF >/dev/null
# Quiet builds that show their log when they fail.
build() {
  local log
  log=$(mktemp)
  cmake --build "$@" >"$log" 2>&1 || { cat "$log"; rm -f "$log"; exit 1; }
  rm -f "$log"
}
build "$native" -j "$(nproc)" --target engine_bench wmfmend make_cad_picture

pictures="$native/pictures"
mkdir -p "$pictures"
sizes=(1 10 50)
emf_sizes=(10 50)
for mb in "${sizes[@]}"; do
  "$native/engine/make_cad_picture" "$mb" "$pictures/cad-$mb.wmf"
done
for mb in "${emf_sizes[@]}"; do
  "$native/engine/make_cad_picture" "$mb" "$pictures/cad-$mb.emf"
done

# The best of three runs of a command, in milliseconds.
best_ms() {
  local best=""
  for _ in 1 2 3; do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

all_options=(--set Lineoptions=3 --set Filledoptions=3 --set RemoveLines=1 --set Rotation=90)
declare -A platform_ms=()
latency=""
if [ $with_windows = 1 ]; then
  windows="$root/build/windows"
  cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  build "$windows" -j "$(nproc)" --target platform_play_bench Clipmend clipmend_e2e_tests
  files=()
  for mb in "${sizes[@]}"; do files+=("Z:$pictures/cad-$mb.wmf"); done
  i=0
  while read -r bytes ms; do
    platform_ms[${sizes[$i]}]=$ms
    i=$((i + 1))
  done < <("$root/scripts/wine-run.sh" "$windows/wineprefix" "$windows/engine/platform_play_bench.exe" "${files[@]}" | tr -d '\r')
  latency=$("$root/scripts/with-display.sh" "$root/scripts/wine-run.sh" "$windows/wineprefix" \
    "$windows/app/clipmend_e2e_tests.exe" \
    --gtest_filter='Clipmend.AutoCadPictureIsReplaced*:Clipmend.LargePictureIsReplacedToo' 2>/dev/null |
    tr -d '\r' | grep "modified after" || true)
fi

# The program's own footprint (code, libraries, fonts), whatever the picture:
# its peak on a picture of a few kilobytes.
"$native/engine/make_cad_picture" 0 "$pictures/cad-0.wmf"
fixed_kb=$( { /usr/bin/time -f "%M" "$native/tools/wmfmend/wmfmend" "${all_options[@]}" "$pictures/cad-0.wmf" "$pictures/out.wmf" >/dev/null; } 2>&1 | tail -1)
echo
echo "wmfmend's peak memory on a picture of a few kilobytes: $((fixed_kb / 1024)) MB; \"x size\" counts the peak, \"above\" the peak less that."
printf '\n%-10s %9s %12s %8s %9s %11s %8s %8s %12s %12s\n' "picture" "cp ms" "wmfmend ms" "x copy" "MB/s" "peak MB" "x size" "above" "platform ms" "x wmfmend"
# One row: LABEL FILE [PLATFORM MS]; wmfmend writes the input's format.
row() {
  local label=$1 file=$2 platform=${3:-} out="$pictures/out.${2##*.}"
  local bytes copy mend peak_kb
  bytes=$(stat -c %s "$file")
  copy=$(best_ms cp "$file" "$pictures/copy")
  mend=$(best_ms "$native/tools/wmfmend/wmfmend" "${all_options[@]}" "$file" "$out")
  peak_kb=$( { /usr/bin/time -f "%M" "$native/tools/wmfmend/wmfmend" "${all_options[@]}" "$file" "$out" >/dev/null; } 2>&1 | tail -1)
  python3 - "$label" "$bytes" "$copy" "$mend" "$peak_kb" "$fixed_kb" "$platform" <<'PY'
import sys
label, size, copy, mend, peak_kb, fixed_kb, platform = sys.argv[1:]
size, copy, mend, peak, fixed = int(size), max(int(copy), 1), max(int(mend), 1), int(peak_kb) * 1024, int(fixed_kb) * 1024
plat = f"{float(platform):12.0f} {float(platform) / mend:12.1f}" if platform else f"{'-':>12} {'-':>12}"
print(f"{label:<10} {copy:9d} {mend:12d} {mend / copy:8.1f} {size / 1e6 / (mend / 1000):9.0f} "
      f"{peak / 1e6:11.1f} {peak / size:8.2f} {(peak - fixed) / size:8.2f} {plat}")
PY
}
for mb in "${sizes[@]}"; do row "$mb MB" "$pictures/cad-$mb.wmf" "${platform_ms[$mb]:-}"; done
for mb in "${emf_sizes[@]}"; do row "$mb MB EMF" "$pictures/cad-$mb.emf"; done
rm -f "$pictures/copy" "$pictures/out.wmf" "$pictures/out.emf" "$pictures/cad-0.wmf"
if [ -n "$latency" ]; then
  echo
  echo "Clipmend.exe, clipboard change to modified picture:"
  echo "$latency" | sed 's/^/  /'
fi

echo
exec "$native/engine/engine_bench" --benchmark_min_time=0.2
