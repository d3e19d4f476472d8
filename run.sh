#!/usr/bin/env bash
# Installs what is missing, builds, and starts the simulated Finder on your
# own state folder. Type requests on standard input, e.g. {"request":"tick"}.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tessvik-finder >/dev/null
exec build/bin/tessvik-finder "$@"
