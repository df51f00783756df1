#!/usr/bin/env bash
# Installs the Debian packages Kalvento builds and tests with; installs only what is missing.
set -euo pipefail

packages=(
  g++ cmake make pkg-config git time bc
  libgtest-dev
  libpcre2-dev
  libexpat1-dev
  libminizip-dev zlib1g-dev
  libimage-exiftool-perl
  libmediainfo0v5 libmediainfo-dev
  poppler-utils
  libgsf-1-dev
  libhpdf-dev libfontconfig-dev
  qt6-base-dev
  fonts-dejavu-core fonts-liberation
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    sudo_cmd=(sudo)
  else
    echo "install-deps: missing packages and neither root nor sudo: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
