#!/usr/bin/env bash
# Copies the bundled samples to DEST and gives them the kind of dates copied files usually have:
# all the same, the day of the copy, whatever their names say.
set -euo pipefail
dest="${1:?usage: make-samples.sh DEST}"
root="$(cd "$(dirname "$0")/.." && pwd)"
rm -rf "$dest"
mkdir -p "$dest"
cp -R "$root/samples/." "$dest/"
find "$dest" -type f -exec touch -m -d '2024-01-05 09:30:00' {} +
