#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) into build-fuzz/, then runs each, starting
# from its seed corpus, for a bounded time. Fails on any crash, sanitizer
# report or leak.
#   scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-${FUZZ_SECONDS:-60}}"

scripts/install-deps.sh clang-14 libclang-rt-14-dev

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTESSVIK_FUZZ=ON -DTESSVIK_SANITIZE=ON \
  -DTESSVIK_TESTS=OFF -DTESSVIK_BENCH=OFF -DTESSVIK_LINUX_HOSTS=OFF >/dev/null
cmake --build build-fuzz -j2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in badge_file_decoder path_text; do
  # New inputs go to a scratch folder, so that the committed corpus stays as
  # it is; crashes are written to build-fuzz/ for a look.
  work="build-fuzz/corpus-$target"
  mkdir -p "$work"
  log="build-fuzz/$target.log"
  echo "== $target: $seconds s (log: $log)"
  # libFuzzer reports every new input: keep that in the log, show the end.
  if ! "build-fuzz/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="build-fuzz/$target-" -print_final_stats=1 \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$target: FAILED"
    exit 1
  fi
  grep -E "^stat::number_of_executed_units|^Done" "$log" || true
done
