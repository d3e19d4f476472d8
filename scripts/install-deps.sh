#!/usr/bin/env bash
# Installs Debian packages when they are missing: the ones named on the
# command line, or, with none named, what the build and the tests need.
set -euo pipefail
packages=("$@")
if [ ${#packages[@]} -eq 0 ]; then
  packages=(build-essential cmake ninja-build pkg-config libsimdjson-dev libicu-dev
            libglib2.0-dev libgtest-dev libgmock-dev libbenchmark-dev python3
            python3-jsonschema libcurl4-openssl-dev syncthing)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
