#!/usr/bin/env bash
# The three exports of a result list of 1,000,000 file rows: time and peak memory of each type;
# the text export against writing the same bytes with `cat` from a file (both into the page
# cache of the same folder, best of three). Prints the figures and the ratio.
#
#   bash bench/exports.sh            (BENCH_ROWS=... for another size)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
rows=${BENCH_ROWS:-1000000}
build=${BENCH_BUILD:-$root/build/bench-exports}
work=$(mktemp -d "${TMPDIR:-/tmp}/kalvento-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

if ! { cmake -S "$root/bench/exports" -B "$build" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$build" --target exports_bench -j "${JOBS:-2}"; } >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi
bench=$build/exports_bench
export TZ=Europe/Berlin

best_of_three() {  # command... ; prints the least wall time in seconds
  local best=""
  for _ in 1 2 3; do
    local start end took
    start=$(date +%s.%N); "$@"; end=$(date +%s.%N)
    took=$(echo "$end - $start" | bc -l)
    if [[ -z $best ]] || (( $(echo "$took < $best" | bc -l) )); then best=$took; fi
  done
  echo "$best"
}

run_export() {  # type output ; prints "seconds before_kib peak_kib lines"
  "$bench" "$1" "$2" "$rows"
}

echo "result list: $rows file rows"
printf '%-14s %10s %12s %14s %14s\n' export seconds "file MiB" "list KiB" "peak KiB"
text_best=""
for type in tab semicolon xls pdf; do
  out=$work/list.$type
  rounds=3
  [[ $type == pdf ]] && rounds=1
  best=""
  for ((r = 0; r < rounds; r++)); do
    rm -f "$out"
    read -r seconds before peak lines < <(run_export "$type" "$out")
    if [[ -z $best ]] || (( $(echo "$seconds < $best" | bc -l) )); then best=$seconds; fi
  done
  size=$(stat -c %s "$out")
  printf '%-14s %10.3f %12.1f %14d %14d\n' "$type" "$best" "$(echo "$size / 1048576" | bc -l)" \
    "$before" "$peak"
  [[ $type == tab ]] && { text_best=$best; cp "$out" "$work/source.txt"; }
  rm -f "$out"
done

copy() { cat "$work/source.txt" >"$work/copy.txt"; }
copy
baseline=$(best_of_three copy)
printf 'cat of the same %.1f MiB: %.3f s\n' "$(echo "$(stat -c %s "$work/source.txt") / 1048576" | bc -l)" "$baseline"
printf 'ratio text export / cat: %.2f (goal <= 3)\n' "$(echo "$text_best / $baseline" | bc -l)"
