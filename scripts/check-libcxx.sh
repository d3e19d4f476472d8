#!/usr/bin/env bash
# Builds and tests the core as close to a Mac as Debian allows: clang 16 with
# its own C++ library, libc++ 16 (about Xcode 15's), without the Linux hosts,
# warnings as errors, then runs the unit tests.
#
# Debian's GoogleTest and simdjson libraries are built against libstdc++ and
# cannot be linked into a libc++ program, so they are built here from
# Debian's own sources: GoogleTest from /usr/src/googletest (package
# googletest), simdjson from its Debian source package (apt-get source, with
# a list of its own so that the system's apt configuration is left alone).
# ICU is used through its C API only, so Debian's library serves.
#
# Everything goes under build-libcxx/ (or the folder given); what it already
# holds is kept. TESSVIK_LLVM names another LLVM release of Debian's (13 to
# 16) to try an older libc++ in a folder of its own. Installs what it needs
# with apt-get when it is missing.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build-libcxx}
mkdir -p "$out"
out=$(cd "$out" && pwd)
deps=$out/deps

llvm=${TESSVIK_LLVM:-16}
scripts/install-deps.sh "clang-$llvm" "libc++-$llvm-dev" "libc++abi-$llvm-dev" googletest dpkg-dev \
  cmake ninja-build libicu-dev

cmake_libcxx=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
              -DCMAKE_C_COMPILER="clang-$llvm" -DCMAKE_CXX_COMPILER="clang++-$llvm"
              -DCMAKE_CXX_FLAGS=-stdlib=libc++ -DCMAKE_EXE_LINKER_FLAGS=-stdlib=libc++)

if [ ! -f "$deps/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$deps/googletest" "${cmake_libcxx[@]}" \
    -DCMAKE_INSTALL_PREFIX="$deps/prefix" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_GMOCK=OFF >/dev/null
  cmake --build "$deps/googletest"
  cmake --install "$deps/googletest" >/dev/null
fi

if [ ! -f "$deps/prefix/lib/cmake/simdjson/simdjson-config.cmake" ]; then
  apt_state=$deps/apt
  mkdir -p "$apt_state/lists/partial" "$deps/source"
  echo "deb-src http://deb.debian.org/debian bookworm main" > "$apt_state/sources.list"
  apt_options=(-o Dir::Etc::SourceList="$apt_state/sources.list"
               -o Dir::Etc::SourceParts=/nonexistent -o Dir::State::Lists="$apt_state/lists")
  apt-get "${apt_options[@]}" update -qq
  rm -rf "$deps/source"/simdjson-*
  (cd "$deps/source" && apt-get "${apt_options[@]}" source -qq simdjson 2>/dev/null)
  source_dir=$(find "$deps/source" -mindepth 1 -maxdepth 1 -type d -name 'simdjson-*')
  cmake -S "$source_dir" -B "$deps/simdjson" "${cmake_libcxx[@]}" \
    -DCMAKE_INSTALL_PREFIX="$deps/prefix" -DCMAKE_INSTALL_LIBDIR=lib \
    -DBUILD_SHARED_LIBS=OFF -DSIMDJSON_DEVELOPER_MODE=OFF >/dev/null
  cmake --build "$deps/simdjson"
  cmake --install "$deps/simdjson" >/dev/null
fi

# Google Benchmark is Debian's libstdc++ one: left out, as on a Mac.
cmake -S . -B "$out/build" "${cmake_libcxx[@]}" -DCMAKE_PREFIX_PATH="$deps/prefix" \
  -DTESSVIK_LINUX_HOSTS=OFF -DTESSVIK_WERROR=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
cmake --build "$out/build"
# Linked against libc++, not libstdc++ (ICU's own library brings libstdc++
# along, which its C API keeps apart).
libraries=$(readelf -d "$out/build/testing/tessvik_tests" | grep NEEDED)
if ! grep -q 'libc++\.so' <<<"$libraries" || grep -q 'libstdc++' <<<"$libraries"; then
  echo "check-libcxx: tessvik_tests is not linked against libc++ but libstdc++:" >&2
  echo "$libraries" >&2
  exit 1
fi
ctest --test-dir "$out/build" --output-on-failure -j2 -LE 'display|long'
