#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need. Quick when all are there.
set -euo pipefail
PKGS=(build-essential cmake ninja-build ccache pkg-config
      qt6-base-dev qt6-base-dev-tools qt6-charts-dev libgl-dev
      libjpeg62-turbo-dev libjpeg-turbo-progs libwmf-dev
      libcfitsio-dev zlib1g-dev libtiff-dev libsep-dev python3-astropy python3-numpy python3-sep
      libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
      libgtest-dev libbenchmark-dev clang libclang-rt-dev
      xvfb xauth x11-apps imagemagick python3
      trash-cli poppler-utils fitsverify
      qt6-translations-l10n qt6-qpa-plugins desktop-file-utils dpkg-dev xdotool)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
