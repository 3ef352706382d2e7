#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
set -euo pipefail
PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-translations-l10n libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-urw-base35 libuemf-dev emf2svg librsvg2-bin poppler-utils libxml2-utils
  xvfb xauth clang libclang-rt-14-dev at-spi2-core python3-pyatspi dbus openbox xdotool x11-utils)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
