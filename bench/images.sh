#!/usr/bin/env bash
# Image analysis speed: kalvento-cli analyse (image sources only) over 2,000 small JPEGs with
# EXIF dates, against a plain driver of `exiftool -stay_open` that sends the same seven request
# lines per file and reads each answer to its end. The session, not our code, should set the pace.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${KALVENTO_CLI:-$root/build/release/bin/kalvento-cli}"
count="${BENCH_IMAGES:-2000}"
work="$(mktemp -d "${TMPDIR:-/tmp}/kalvento-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
tree="$work/photos"
mkdir -p "$tree"

echo "building $count JPEGs with EXIF dates under $tree"
python3 - "$tree/template.jpg" <<'PY'
import sys
jpeg = bytes.fromhex("ffd8ffdb004300") + b"\x01" * 64 + bytes.fromhex(
    "ffc0000b080001000101011100" "ffda000801010000003f00" "00ffd9")
open(sys.argv[1], "wb").write(jpeg)
PY
exiftool -q -overwrite_original '-DateTimeOriginal=2019:07:14 10:12:33' \
  '-ModifyDate=2019:07:15 08:00:00' '-XMP:CreateDate=2019:07:14 10:12:33' "$tree/template.jpg"
for ((i = 0; i < count; i++)); do cp "$tree/template.jpg" "$tree/IMG_$i.jpg"; done
rm "$tree/template.jpg"

settings="$work/bench.ini"
run_ours() {
  "$cli" analyse --settings "$settings" --created "EXIF taken,IPTC created" \
    --modified "EXIF changed,XMP modified" "$tree/" >"$work/ours.txt"
}
run_baseline() {
  python3 - "$tree" >"$work/baseline.txt" <<'PY'
import os, subprocess, sys
folder = sys.argv[1]
tool = subprocess.Popen(["exiftool", "-stay_open", "True", "-@", "-"], stdin=subprocess.PIPE,
                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
for name in sorted(os.listdir(folder)):
    path = os.path.join(folder, name)
    request = ["-charset", "filename=utf8", path, "-G0", "-S", "-a", "-execute"]
    tool.stdin.write(("\n".join(request) + "\n").encode())
    tool.stdin.flush()
    tags = {}
    for line in tool.stdout:
        text = line.decode(errors="replace").rstrip("\r\n")
        if text == "{ready}":
            break
        key, _, value = text.partition(": ")
        tags.setdefault(key, value)
    print(name, tags.get("[EXIF] DateTimeOriginal", ""))
tool.stdin.write(b"-stay_open\nFalse\n")
tool.stdin.flush()
tool.wait()
PY
}

run_ours; run_baseline  # warm the cache
grep -c "2019.07.14 10:12:33" "$work/ours.txt" >/dev/null || { echo "no EXIF dates proposed" >&2; exit 1; }
source "$(dirname "$0")/best_of_three.sh"
ours=$(best run_ours)
baseline=$(best run_baseline)
printf 'kalvento-cli analyse (images): %.3f s\n' "$ours"
printf 'exiftool -stay_open driver:    %.3f s\n' "$baseline"
printf 'ratio: %.2f (goal <= 1.2)\n' "$(echo "$ours / $baseline" | bc -l)"
