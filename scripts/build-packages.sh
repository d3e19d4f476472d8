#!/usr/bin/env bash
# Builds the Debian packages of the file-manager extensions into
# build-packages/packages/: tessvik-nautilus, tessvik-nemo, tessvik-caja,
# tessvik-dolphin (each for its file manager) and tessvik-emblems (which each
# of them needs), and tessvik-syncthing, the Syncthing bridge. Installs what
# the build needs first, the file managers' extension -dev packages included.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/install-deps.sh dpkg-dev file libnautilus-extension-dev libnemo-extension-dev \
  libcaja-extension-dev libkf5kio-dev libkf5coreaddons-dev extra-cmake-modules qtbase5-dev
cmake -S . -B build-packages -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSVIK_TESTS=OFF >/dev/null
cmake --build build-packages --target tessvik-nautilus tessvik-nemo tessvik-caja \
  tessvik-dolphin-overlay tessvik-dolphin-menu tessvik-syncthing
rm -rf build-packages/packages
(cd build-packages && cpack -G DEB >/dev/null)
ls build-packages/packages/*.deb
