#!/usr/bin/env bash
# The correction of 100,000 files in 1,000 folders: `kalvento-cli correct` setting a fixed
# Modified date, against `touch -m` setting a Modified date on the same files. Both run on a warm
# cache, each several times; the best time of each counts. Prints both times and their ratio.
#
#   make build && bash bench/correction.sh        (KALVENTO_CLI=... for another binary)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${KALVENTO_CLI:-$root/build/release/bin/kalvento-cli}
folders=${BENCH_FOLDERS:-1000}
files_per_folder=${BENCH_FILES_PER_FOLDER:-100}
rounds=${BENCH_ROUNDS:-3}

if [[ ! -x $cli ]]; then
  echo "no $cli: run 'make build' first" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kalvento-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
tree=$work/tree
# Settings, logs and temporary files of the runs stay in the bench folder.
export HOME=$work XDG_CONFIG_HOME=$work/config TMPDIR=$work TZ=Europe/Berlin

echo "creating $((folders * files_per_folder)) files in $folders folders under $tree"
for ((f = 0; f < folders; f++)); do
  dir=$tree/album_$f
  mkdir -p "$dir"
  for ((i = 0; i < files_per_folder; i++)); do : >"$dir/IMG_$i.jpg"; done
done
sample=$tree/album_0/IMG_0.jpg

now_ns() { date +%s%N; }

# Seconds as a decimal text from a nanosecond count.
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }

run_cli() {  # $1: day of February 2020
  "$cli" correct "$tree/" --settings "$work/settings.ini" --no-created \
    --modified FIXEDDATE --fixed-modified "$(printf '%02d' "$1").02.2020,10:00:00" \
    </dev/null >"$work/list.txt" 2>"$work/cli.err"
}

run_touch() {  # $1: day of February 2021
  find "$tree" -type f -print0 | xargs -0 touch -m -d "2021-02-$(printf '%02d' "$1") 10:00:00"
}

# Warm the cache (and check that the run really writes) before anything is timed. Every timed
# run sets a date that differs from what the files hold, so every file is written each time.
find "$tree" -type f >/dev/null
run_touch 28
run_cli 28 || { echo "kalvento-cli failed:" >&2; cat "$work/cli.err" >&2; exit 1; }
expected=$(date -d "2020-02-28 10:00:00" +%s)
if [[ $(stat -c %Y "$sample") != "$expected" ]]; then
  echo "kalvento-cli did not set the Modified date of $sample" >&2
  exit 1
fi

best_cli=
best_touch=
for ((r = 1; r <= rounds; r++)); do
  start=$(now_ns); run_touch "$r"; took=$(($(now_ns) - start))
  [[ -z $best_touch || $took -lt $best_touch ]] && best_touch=$took
  start=$(now_ns); run_cli "$r"; took=$(($(now_ns) - start))
  [[ -z $best_cli || $took -lt $best_cli ]] && best_cli=$took
  if [[ $(stat -c %Y "$sample") != $(date -d "2020-02-$(printf '%02d' "$r") 10:00:00" +%s) ]]; then
    echo "round $r: kalvento-cli did not write $sample" >&2
    exit 1
  fi
done

echo "files:                $((folders * files_per_folder))"
echo "kalvento-cli correct: $(seconds "$best_cli") s"
echo "find | xargs touch:   $(seconds "$best_touch") s"
echo "ratio:                $(awk -v a="$best_cli" -v b="$best_touch" 'BEGIN { printf "%.2f", a / b }') (goal <= 2)"
