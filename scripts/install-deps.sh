#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the program and the tests need
# and this Debian 12 machine lacks. Does nothing when all is there.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev
    libmupdf-dev libmujs-dev libgumbo-dev libopenjp2-7-dev libjbig2dec0-dev
    libharfbuzz-dev libfreetype-dev libjpeg-dev zlib1g-dev
    libicu-dev
    libgtest-dev
    # outside readers and tools the tests call
    unzip zip python3 p7zip-full epubcheck default-jre-headless qpdf
    fonts-dejavu-core mupdf-tools poppler-utils
    # running the program without a desktop
    xvfb xauth
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Run as root (or install sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
