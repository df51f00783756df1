#!/usr/bin/env bash
# Analysis speed: kalvento-cli analyse (only the current dates as sources) over 100,000 empty
# files in 1,000 folders, against `find -printf | sort` over the same tree, both on a warm cache.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${KALVENTO_CLI:-$root/build/release/bin/kalvento-cli}"
folders="${BENCH_FOLDERS:-1000}"
per_folder="${BENCH_FILES_PER_FOLDER:-100}"
work="$(mktemp -d "${TMPDIR:-/tmp}/kalvento-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
tree="$work/tree"

echo "building $((folders * per_folder)) files in $folders folders under $tree"
python3 - "$tree" "$folders" "$per_folder" <<'PY'
import os, sys
tree, folders, per_folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
base = 1262304000  # 2010-01-01
for f in range(folders):
    folder = os.path.join(tree, f"year {2010 + f % 12}", f"album_{f}")
    os.makedirs(folder, exist_ok=True)
    for n in range(per_folder):
        path = os.path.join(folder, f"IMG_{n}.jpg")
        open(path, "wb").close()
        when = base + (f * per_folder + n) * 3607
        os.utime(path, (when, when))
PY

settings="$work/bench.ini"
run_ours() {
  "$cli" analyse --settings "$settings" --created SAMEDATE --modified SAMEDATE "$tree/" >"$work/ours.txt"
}
run_baseline() {
  find "$tree" -type f -printf '%T@ %p\n' | sort >"$work/baseline.txt"
}

# Warm the cache, then time the best of three runs of each.
run_ours; run_baseline
source "$(dirname "$0")/best_of_three.sh"
ours=$(best run_ours)
baseline=$(best run_baseline)
peak_kib=$(/usr/bin/time -f '%M' "$cli" analyse --settings "$settings" --created SAMEDATE \
  --modified SAMEDATE "$tree/" 2>&1 >/dev/null | tail -1)
rows=$(grep -c $'\t' "$work/ours.txt")

printf 'rows listed:        %d\n' "$rows"
printf 'kalvento-cli:       %.3f s\n' "$ours"
printf 'find | sort:        %.3f s\n' "$baseline"
printf 'ratio ours/baseline: %.2f (goal <= 1.5)\n' "$(echo "$ours / $baseline" | bc -l)"
printf 'peak memory (ours): %d KiB\n' "$peak_kib"
