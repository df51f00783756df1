#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds.
# Usage: scripts/run-fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
seconds=${2:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
# Absolute, because each target runs in a scratch folder of its own.
build_dir=$(realpath -m "${1:-build/fuzz}")
CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKALVENTO_TESTS=OFF -DKALVENTO_FUZZ=ON >/dev/null
cmake --build "$build_dir" --target fuzzers -j "${JOBS:-$(nproc)}"
# Whole stacks for every allocation, so a leak inside a library (suppressed by name) is told from
# one of ours even where the library keeps no frame pointers.
export ASAN_OPTIONS="fast_unwind_on_malloc=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
status=0
for program in "$build_dir"/bin/fuzz_*; do
  [ -x "$program" ] || continue
  name=${program##*/fuzz_}
  work=$(mktemp -d)
  seeds=()
  [ -d "$root/tests/fuzz/corpus/$name" ] && seeds=("$root/tests/fuzz/corpus/$name")
  echo "fuzz $name: ${seconds} s"
  if ! (cd "$work" && "$program" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        "$work" "${seeds[@]}" >"$work/log" 2>&1); then
    tail -40 "$work/log"
    echo "fuzz $name: FAILED" >&2
    status=1
  fi
  rm -rf "$work"
done
exit $status
