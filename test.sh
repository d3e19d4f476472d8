#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Arguments go to
# ctest. TESSVIK_WERROR=ON makes warnings errors (CI and developers do).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSVIK_WERROR="${TESSVIK_WERROR:-OFF}"
cmake --build build
ctest --test-dir build --output-on-failure -j2 "$@"
