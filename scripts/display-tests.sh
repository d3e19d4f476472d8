#!/usr/bin/env bash
# Installs the display stack and the four file managers with their
# extension -dev packages (Debian 12), builds the extension modules, and runs
# the display tests: the emblems' shapes at 16 and 8 px
# (file_manager/emblems/legibility_test.py), and each file manager under
# Xvfb, showing the badges and sharing an item
# (hosts/gtk/display/display_test.py). Needs root, or
# unprivileged user namespaces, for the test's namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
packages=(xvfb xdotool imagemagick librsvg2-bin dbus hicolor-icon-theme util-linux
          nautilus libnautilus-extension-dev nemo libnemo-extension-dev caja libcaja-extension-dev
          dolphin breeze-icon-theme libkf5kio-dev libkf5coreaddons-dev extra-cmake-modules qtbase5-dev)
scripts/install-deps.sh "${packages[@]}"
cmake -S . -B build-display -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-display --target tessvik-nautilus tessvik-nemo tessvik-caja \
  tessvik-dolphin-overlay tessvik-dolphin-menu tessvik_dolphin_tests
TESSVIK_DISPLAY_REQUIRED=1 ctest --test-dir build-display -L "display|dolphin" --output-on-failure "$@"
