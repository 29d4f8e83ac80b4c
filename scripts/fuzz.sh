#!/usr/bin/env bash
# fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS...]: builds the fuzz targets with
# Clang (libFuzzer, AddressSanitizer, UBSan) in build/fuzz and runs one of
# them for SECONDS at the lowest CPU priority. TARGET is one of
#   ini_reader options_file pc2_import intake_decision picture_play emf_play
# The run starts from the target's seeds in the repository (every fault found
# so far among them) and from build/fuzz/corpus/TARGET, where it keeps the
# inputs that reached new code. A finding is written to
# build/fuzz/findings/TARGET/ and ends the run with a failure; once its fault
# is fixed, the file joins the seeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
  echo "usage: fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS...]" >&2
  exit 2
fi
target=$1 seconds=$2
shift 2
case "$target" in
  ini_reader) seeds=settings/fuzz/seeds/ini_reader max_len=65536 dict=settings/fuzz/ini.dict ;;
  options_file) seeds=settings/fuzz/seeds/options_file max_len=32768 dict=settings/fuzz/ini.dict ;;
  pc2_import) seeds=settings/fuzz/seeds/pc2_import max_len=16384 dict=settings/fuzz/ini.dict ;;
  intake_decision) seeds=clipboard/fuzz/seeds/intake_decision max_len=4096 dict=clipboard/fuzz/formats.dict ;;
  picture_play) seeds=engine/fuzz/seeds/picture_play max_len=327680 dict="" ;;
  emf_play) seeds=engine/fuzz/seeds/emf_play max_len=327680 dict="" ;;
  *) echo "fuzz.sh: unknown target '$target'" >&2; exit 2 ;;
esac

"$root/scripts/ensure-deps.sh" fuzz
build="$root/build/fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLIPMEND_TESTS=OFF -DCLIPMEND_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j 2 --target "${target}_fuzzer" >/dev/null

corpus="$build/corpus/$target"
seed_dirs=("$root/$seeds")
if [ "$target" = picture_play ]; then
  # The sample pictures, each behind eight option bytes of zero (the
  # standard options).
  made="$build/seeds/picture_play"
  mkdir -p "$made"
  for picture in "${CLIPMEND_CORPUS_DIR:-$root/../shared/corpus/wmf}"/*.wmf; do
    [ -f "$picture" ] || continue
    { head -c 8 /dev/zero; cat "$picture"; } >"$made/$(basename "$picture")"
  done
  seed_dirs=("$made")
elif [ "$target" = emf_play ]; then
  # The repository's own seeds and the sample pictures that fit an input,
  # each behind eight option bytes of zero (the standard options).
  made="$build/seeds/emf_play"
  mkdir -p "$made"
  for picture in "${CLIPMEND_EMF_CORPUS_DIR:-$root/../shared/corpus/emf}"/*.emf; do
    [ -f "$picture" ] && [ "$(stat -c %s "$picture")" -le $((max_len - 8)) ] || continue
    { head -c 8 /dev/zero; cat "$picture"; } >"$made/$(basename "$picture")"
  done
  seed_dirs+=("$made")
fi
findings="$build/findings/$target"
# A log of this run's own: runs of the same target may overlap.
log="$build/logs/$target-$(date +%Y%m%d-%H%M%S)-$$.log"
mkdir -p "$corpus" "$findings" "$build/logs"
echo "== fuzzing $target for $seconds s"
# The timeout of one input is wall-clock time, and a run at the lowest
# priority on a busy machine may wait many seconds for the processor: only
# an input that runs for minutes counts as a hang, or is kept as slow.
status=0
nice -n 19 "$build/$(dirname "$(dirname "$seeds")")/${target}_fuzzer" \
  -max_total_time="$seconds" -max_len="$max_len" -timeout=120 -report_slow_units=120 -print_final_stats=1 \
  -artifact_prefix="$findings/" ${dict:+-dict="$root/$dict"} "$@" "$corpus" "${seed_dirs[@]}" 2>"$log" || status=$?
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)|^Done|^INFO: -max_total_time' \
  "$log" || true
if [ $status -ne 0 ]; then
  tail -n 60 "$log" >&2
  echo "fuzz.sh: $target found a fault; the input is in $findings/" >&2
fi
exit $status
