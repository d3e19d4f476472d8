#!/usr/bin/env bash
# Builds, on a Mac, the static universal libraries that TessvikFinder.appex
# and the unit tests link, into DEPS (see "Building it on a Mac" in
# README.md), from their source releases: no package manager's library.
# - ICU 74.2, static (libicuuc.a, libicudata.a), each architecture built on
#   its own and merged with lipo: DEPS/icu-universal;
# - the simdjson 3.10.1 source tree, which the extension's build compiles
#   itself: DEPS/simdjson; and, for the unit tests' build, simdjson built
#   from it and installed as a static CMake package: DEPS/simdjson-universal;
# - GoogleTest 1.17.0, for the unit tests, static: DEPS/googletest-universal.
# The Mac's own architecture is built first; the other is cross-compiled with
# the first one's ICU tools, so no Rosetta is needed. What DEPS already holds
# is kept. Needs Xcode's command-line tools, curl and git.
set -euo pipefail
deps=${1:?usage: hosts/macos/build-deps.sh DEPS_FOLDER}
icu_version=74.2
simdjson_version=3.10.1
googletest_version=1.17.0
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)

native=$(uname -m)
case $native in
  arm64) other=x86_64 other_host=x86_64-apple-darwin ;;
  x86_64) other=arm64 other_host=aarch64-apple-darwin ;;
  *) echo "build-deps: unknown architecture $native" >&2; exit 1 ;;
esac

build_icu() {  # architecture, then configure's extra arguments
  local arch=$1
  shift
  rm -rf "$deps/icu-build-$arch" "$deps/icu-$arch"
  mkdir -p "$deps/icu-build-$arch"
  (cd "$deps/icu-build-$arch" &&
   /bin/sh "$deps/icu/source/configure" --prefix="$deps/icu-$arch" \
     --enable-static --disable-shared --with-data-packaging=static \
     --disable-samples --disable-tests --disable-extras "$@" \
     CFLAGS="-arch $arch -mmacosx-version-min=12.0" \
     CXXFLAGS="-arch $arch -mmacosx-version-min=12.0" LDFLAGS="-arch $arch" &&
   make -j"$(sysctl -n hw.ncpu)" install)
}

if [ ! -f "$deps/icu-universal/lib/libicudata.a" ]; then
  tarball="icu4c-${icu_version//./_}-src.tgz"
  curl -fsSL -o "$deps/$tarball" \
    "https://github.com/unicode-org/icu/releases/download/release-${icu_version//./-}/$tarball"
  rm -rf "$deps/icu"
  tar xzf "$deps/$tarball" -C "$deps"  # unpacks ./icu
  build_icu "$native"
  build_icu "$other" --host="$other_host" --with-cross-build="$deps/icu-build-$native"
  mkdir -p "$deps/icu-universal/lib"
  cp -R "$deps/icu-$native/include" "$deps/icu-universal/"
  for lib in libicuuc.a libicudata.a; do
    lipo -create "$deps/icu-arm64/lib/$lib" "$deps/icu-x86_64/lib/$lib" \
         -output "$deps/icu-universal/lib/$lib"
  done
fi

if [ ! -f "$deps/simdjson/CMakeLists.txt" ]; then
  git clone --depth 1 --branch "v$simdjson_version" https://github.com/simdjson/simdjson.git \
    "$deps/simdjson"
fi

install_universal() {  # source folder, install prefix, then CMake's extra arguments
  local source=$1 prefix=$2
  shift 2
  rm -rf "$prefix-build"
  cmake -S "$source" -B "$prefix-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_OSX_ARCHITECTURES="arm64;x86_64" -DCMAKE_OSX_DEPLOYMENT_TARGET=12.0 \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF "$@"
  cmake --build "$prefix-build" --parallel "$(sysctl -n hw.ncpu)"
  cmake --install "$prefix-build"
}
if [ ! -f "$deps/simdjson-universal/lib/libsimdjson.a" ]; then
  install_universal "$deps/simdjson" "$deps/simdjson-universal" -DSIMDJSON_DEVELOPER_MODE=OFF
fi
if [ ! -f "$deps/googletest-universal/lib/libgtest.a" ]; then
  rm -rf "$deps/googletest"
  git clone --depth 1 --branch "v$googletest_version" https://github.com/google/googletest.git \
    "$deps/googletest"
  install_universal "$deps/googletest" "$deps/googletest-universal" -DBUILD_GMOCK=OFF
fi
echo "ICU: $deps/icu-universal ($(lipo -archs "$deps/icu-universal/lib/libicuuc.a"));" \
  "simdjson: $deps/simdjson and $deps/simdjson-universal;" \
  "GoogleTest: $deps/googletest-universal ($(lipo -archs "$deps/googletest-universal/lib/libgtest.a"))"
