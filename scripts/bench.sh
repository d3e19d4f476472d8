#!/usr/bin/env bash
# Builds the benchmarks with optimisation into build-bench/ and runs them.
# Extra arguments go to Google Benchmark, e.g. --benchmark_filter=Reread.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSVIK_TESTS=OFF \
  -DTESSVIK_LINUX_HOSTS=OFF -DTESSVIK_BENCH=ON >/dev/null
cmake --build build-bench --target tessvik_bench
echo "machine: $(nproc) CPU(s), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
exec build-bench/bench/tessvik_bench "$@"
