#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the screenshot run need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PKGS=(
  build-essential cmake ninja-build pkg-config lld
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgl-dev libglx-dev libvulkan-dev
  libgif-dev libtiff-dev libjpeg62-turbo-dev zlib1g-dev libzint-dev zbar-tools
  fonts-liberation fonts-liberation2 fonts-dejavu-core fonts-crosextra-carlito fonts-crosextra-caladea
  xvfb xauth imagemagick
  python3
  clang-14 libclang-rt-14-dev
  emf2svg libwmf-bin librsvg2-bin
  cups cups-bsd libcups2-dev printer-driver-cups-pdf poppler-utils xdotool ccache
  qt6-translations-l10n
  tree
  desktop-file-utils shared-mime-info
  glabels-data
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
