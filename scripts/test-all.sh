#!/usr/bin/env bash
# Runs every test: the native build (under AddressSanitizer and UBSan), each
# fuzz target for a short while, and the Windows build (under Wine, with Xvfb
# for the tests that need a display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" native windows gui fuzz

jobs=$(nproc)
native="$root/build/native"
windows="$root/build/windows"

cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCLIPMEND_SANITIZE=ON >/dev/null
cmake --build "$native" -j "$jobs"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$windows" -j "$jobs"

status=0
echo "== native tests"
ctest --test-dir "$native" -j "$jobs" --timeout 300 --output-on-failure || status=1
echo "== fuzz targets, 20 s each"
for target in ini_reader options_file pc2_import intake_decision picture_play emf_play; do
  "$root/scripts/fuzz.sh" "$target" 20 || status=1
done
echo "== Windows tests under Wine"
"$root/scripts/with-display.sh" ctest --test-dir "$windows" --timeout 600 --output-on-failure || status=1
exit $status
