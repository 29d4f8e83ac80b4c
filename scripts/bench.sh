#!/usr/bin/env bash
# Builds the engine optimised and reports its speed on large generated
# CAD-like pictures (MB/s for reading, analysis and a full play, next to a
# plain copy of the same bytes).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" native
build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCLIPMEND_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target engine_bench
exec "$build/engine/engine_bench" "$@"
