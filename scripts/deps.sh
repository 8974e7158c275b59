#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; only what is missing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config make
  # libraries
  qt6-base-dev qt6-multimedia-dev qt6-image-formats-plugins qt6-qpa-plugins fonts-dejavu-core
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libjpeg62-turbo-dev libturbojpeg0-dev libpng-dev libsane-dev libcurl4-openssl-dev libsndfile1-dev libgif-dev libtiff-dev libqt6sql6-sqlite
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev
  libgtest-dev libgmock-dev
  # Windows metafiles in the lists' pictures: libwmf plays a WMF, libemf2svg turns an EMF into SVG
  # for Qt SVG to draw
  libwmf-dev libemf2svg-dev qt6-svg-dev
  # Qt's own translations, so the standard buttons and dialogs speak the chosen language
  qt6-translations-l10n
  # programs the system starts
  lame sane-utils xdg-user-dirs xdg-utils cdparanoia
  # programs the tests use to check what we write
  ffmpeg crudini desktop-file-utils imagemagick jpeginfo libjpeg-turbo-progs
  sox libsox-fmt-mp3 id3v2 mediainfo xorriso genisoimage poppler-utils vcdimager xscreensaver
  python3 python3-pyftpdlib xvfb xauth tidy
)

# `deps.sh fuzz` (make fuzz): the clang toolchain the fuzz targets need, on top of the rest.
if [ "${1:-}" = "fuzz" ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi
# `deps.sh bench` (the scripts under bench/): the tools the benches compare with or drive the
# program by.
if [ "${1:-}" = "bench" ]; then
  packages+=(libvips-tools xdotool bc)
fi
# `deps.sh format` (make format): clang-format and its git front end.
if [ "${1:-}" = "format" ]; then
  packages+=(clang-format-14)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
