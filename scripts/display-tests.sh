#!/usr/bin/env bash
# Installs the display stack and the three file managers with their
# extension -dev packages (Debian 12), builds the extension modules, and runs
# the display tests: each file manager under Xvfb, showing the badges and
# sharing an item (host/nautilus/display/display_test.py). Needs root, or
# unprivileged user namespaces, for the test's namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
packages=(xvfb xdotool imagemagick dbus hicolor-icon-theme util-linux
          nautilus libnautilus-extension-dev nemo libnemo-extension-dev caja libcaja-extension-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
cmake -S . -B build-display -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-display --target tessvik-nautilus tessvik-nemo tessvik-caja
TESSVIK_DISPLAY_REQUIRED=1 ctest --test-dir build-display -L display --output-on-failure "$@"
