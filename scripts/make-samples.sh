#!/usr/bin/env bash
# Copies the bundled samples to DEST and gives them the kind of dates copied files usually have:
# all the same, the day of the copy, whatever their names say.
set -euo pipefail
dest="${1:?usage: make-samples.sh DEST}"
root="$(cd "$(dirname "$0")/.." && pwd)"
rm -rf "$dest"
mkdir -p "$dest"
cp -R "$root/samples/." "$dest/"

# Files that record their own dates: a photo (EXIF, written by exiftool), a PDF and an e-mail.
printf '\xff\xd8\xff\xdb\x00\x43\x00%s\xff\xc0\x00\x0b\x08\x00\x01\x00\x01\x01\x01\x11\x00\xff\xda\x00\x08\x01\x01\x00\x00\x00\x3f\x00\x00\xff\xd9' \
  "$(printf '\x01%.0s' $(seq 64))" > "$dest/Urlaub 2018/DSC_0412.jpg"
if command -v exiftool >/dev/null; then
  exiftool -q -overwrite_original '-DateTimeOriginal=2018:08:22 18:45:10' \
    '-ModifyDate=2018:08:23 09:02:44' "$dest/Urlaub 2018/DSC_0412.jpg"
fi
info='<< /Title (Angebot) /CreationDate (D:20190311142000+01'"'"'00'"'"') /ModDate (D:20190312081500+01'"'"'00'"'"') >>'
{
  printf '%%PDF-1.4\n'
  printf '1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n'
  printf '2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n'
  printf '3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] >>\nendobj\n'
  printf '4 0 obj\n%s\nendobj\ntrailer\n<< /Root 1 0 R /Info 4 0 R >>\n%%%%EOF\n' "$info"
} > "$dest/Angebot.pdf"
printf 'From: Anna <anna@example.org>\r\nTo: Ben <ben@example.org>\r\nSubject: Sommerfest\r\nDate: Sun, 7 Jul 2019 20:14:05 +0200\r\n\r\nBis Sonntag!\r\n' \
  > "$dest/Einladung.eml"
find "$dest" -type f -exec touch -m -d '2024-01-05 09:30:00' {} +
