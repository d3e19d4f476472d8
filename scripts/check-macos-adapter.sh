#!/usr/bin/env bash
# Checks the macOS extension and its application on Linux, where no macOS
# SDK exists:
# - every Objective-C++ file of hosts/macos and hosts/macos/app compiles and
#   generates code (ARC, blocks, the Apple runtime's rules) with clang 14,
#   against our stand-in declarations of the Apple API they use
#   (hosts/macos/check/sdk), with the project's warnings as errors; the
#   application with and without its handling of tessvik: URLs;
# - the principal class is known to the runtime as exactly FinderSync, derives
#   from FIFinderSync, and implements exactly the calls the Finder makes;
# - the Apple configuration, configured here as a cross build for macOS
#   (nothing is compiled), builds only what ships (the extension, and the
#   application that embeds it and is signed after it), for the deployment
#   target that the generated Info.plist files declare, with Foundation's
#   extension entry;
# - the bundles' Info.plist files and the extension's entitlements hold what
#   they need: identifiers from one prefix, URL types only when asked.
# Installs what it needs with apt-get when it is missing.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh clang-14 python3 cmake ninja-build libicu-dev libbenchmark-dev

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

flags=(-x objective-c++ -std=c++20 -fobjc-arc -fblocks -fobjc-runtime=macosx-12.0
       -isystem hosts/macos/check/sdk -I .
       -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror
       -Wnullable-to-nonnull-conversion -Wundeclared-selector -Wobjc-missing-super-calls
       -Warc-repeated-use-of-weak -Wimplicit-retain-self -Wstrict-selector-match)
sources=(hosts/macos/*.mm)
for source in "${sources[@]}"; do
  clang++-14 "${flags[@]}" -S -o "$out/$(basename "$source" .mm).s" "$source"
done
for urls in 0 1; do
  clang++-14 "${flags[@]}" -DTESSVIK_APP_OPENS_SHARE_URLS=$urls -S -o "$out/app-$urls.asm" \
    hosts/macos/app/tessvik_app.mm
done
echo "compiled: ${#sources[@]} Objective-C++ files, and the application with and without URLs"

# The principal class's methods, as the compiler emitted them.
asm="$out/finder_sync_principal.s"
actual=$(grep -oE '^"[-+]\[FinderSync [^]]+\]":' "$asm" | sed -E 's/^"(.*)":$/\1/' | sort)
expected=$(sort <<'LIST'
-[FinderSync .cxx_construct]
-[FinderSync .cxx_destruct]
-[FinderSync dealloc]
-[FinderSync init]
-[FinderSync menuForMenuKind:]
-[FinderSync requestBadgeIdentifierForURL:]
-[FinderSync share:]
-[FinderSync toolbarItemName]
-[FinderSync toolbarItemToolTip]
LIST
)
if [ "$actual" != "$expected" ]; then
  echo "the principal class's methods differ from the expected ones:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
# A class record's first two words: its metaclass, then its superclass.
# shellcheck disable=SC2016 # the "$" of these patterns is the symbol's own
if ! grep -q '^	\.globl	OBJC_CLASS_\$_FinderSync$' "$asm" ||
   [ "$(grep -A2 '^OBJC_CLASS_\$_FinderSync:$' "$asm" | sed -n 3p | tr -d '\t')" \
     != ".quadOBJC_CLASS_\$_FIFinderSync" ]; then
  echo "the principal class is not a global FinderSync derived from FIFinderSync" >&2
  exit 1
fi
echo "principal class: FinderSync : FIFinderSync, with the Finder's five calls"

# Where the generated code sends two messages: the Finder's selection is read
# in the share action itself (the Finder vouches for it only there), never in
# the block that runs later on the main queue; and each badge image is marked
# as no template, so that the Finder keeps its colours.
python3 - "$out"/*.s <<'PY'
import re, sys
senders = {}  # selector -> the functions that send it
for path in sys.argv[1:]:
    lines = open(path).read().splitlines()
    names = {}  # selector reference label -> selector
    for i, line in enumerate(lines):
        m = re.match(r'(\.LOBJC_SELECTOR_REFERENCES_[.\d]*):', line)
        if m:
            target = lines[i + 1].split()[-1]
            j = lines.index(target + ":")
            names[m.group(1)] = re.search(r'"(.*)"', lines[j + 1]).group(1)
    function = None
    for line in lines:
        m = re.match(r'^("?)([^.\s"#][^"]*)\1:\s*(#.*)?$', line)
        if m:
            function = m.group(2)
        for ref in re.findall(r'\.LOBJC_SELECTOR_REFERENCES_[.\d]*(?=\()', line):
            senders.setdefault(names[ref], set()).add(function)
problems = []
readers = senders.get("selectedItemURLs", set())
# The action itself, or a lambda of its own (not one inside its block: "Ub_").
itself = re.compile(r"-\[FinderSync share:\]|_ZZ\d+-\[FinderSync share:\]E(?!Ub_).*")
if not readers or not all(itself.fullmatch(f) for f in readers):
    problems.append(f"selectedItemURLs is read in {sorted(readers)}, not in the share action itself")
if not any("MacFinderSyncController13setBadgeImage" in f for f in senders.get("setTemplate:", ())):
    problems.append("the badge images are not marked as no template (setTemplate:)")
for p in problems:
    print(p, file=sys.stderr)
sys.exit(1 if problems else 0)
PY
echo "messages: the selection read in share: itself, badge images not templates"

# The Apple configuration, cross-configured for macOS. The static ICU and the
# simdjson tree it asks for are stand-ins (Debian's headers, empty archives):
# only configuring and generating happen. Google Benchmark is offered, and
# must still be left out.
fake="$out/configure"
mkdir -p "$fake/sdk" "$fake/icu/lib" "$fake/icu/include" "$fake/simdjson"
ln -s /usr/include/unicode "$fake/icu/include/unicode"
touch "$fake/icu/lib/libicuuc.a" "$fake/icu/lib/libicudata.a" "$fake/simdjson/simdjson.cpp"
echo 'add_library(simdjson STATIC simdjson.cpp)
add_library(simdjson::simdjson ALIAS simdjson)' > "$fake/simdjson/CMakeLists.txt"
configure() {  # build folder, then extra cmake arguments
  local build=$1
  shift
  cmake -S . -B "$build" -G Ninja -DCMAKE_SYSTEM_NAME=Darwin \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_OBJCXX_COMPILER=clang++-14 \
    -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY -DCMAKE_INSTALL_NAME_TOOL=/bin/true \
    -DCMAKE_OSX_SYSROOT="$fake/sdk" -DICU_ROOT="$fake/icu" -DSIMDJSON_SOURCE_DIR="$fake/simdjson" \
    -Dbenchmark_DIR="$(dirname "$(dpkg -L libbenchmark-dev | grep -m1 'benchmarkConfig.cmake$')")" \
    -DTESSVIK_TESTS=OFF "$@" > "$build.log" 2>&1 || { cat "$build.log" >&2; exit 1; }
}
check_configuration() {  # build folder, expected deployment target
  local build=$1 target=$2 linked flags
  linked=$(ninja -C "$build" -t targets all | grep -oE '^[^:]+: (CXX|OBJCXX)_EXECUTABLE_LINKER' |
           cut -d: -f1 | sort)
  if [ "$linked" != "hosts/macos/TessVik.app/Contents/MacOS/TessVik
hosts/macos/TessvikFinder.appex/Contents/MacOS/TessvikFinder" ]; then
    echo "the Apple configuration links other than the extension and its application:" >&2
    echo "$linked" >&2
    exit 1
  fi
  # The application's link: the extension copied in whole, then the
  # application signed around it, never with --deep.
  local app_link
  app_link=$(grep -A12 '^build hosts/macos/TessVik.app/Contents/MacOS/TessVik:' "$build/build.ninja" |
             grep -m1 'POST_BUILD = ')
  if ! grep -qE 'ditto [^&]*TessvikFinder\.appex [^&]*TessVik\.app/Contents/PlugIns/TessvikFinder\.appex.*&& codesign [^&]*TessVik\.app' <<<"$app_link" ||
     grep -q -- '--deep' <<<"$app_link"; then
    echo "the application does not embed the extension, then sign itself without --deep:" >&2
    echo "$app_link" >&2
    exit 1
  fi
  # Set before project(): the compiler check that project() runs has it too.
  abi=$(sed -n '/^Detecting CXX compiler ABI info/,/^Detecting OBJCXX/p' \
          "$build/CMakeFiles/CMakeOutput.log")
  if ! grep -q -- "-mmacosx-version-min=$target" <<<"$abi"; then
    echo "the deployment target is set after project(): its compiler check ran without it" >&2
    exit 1
  fi
  flags=$(grep -oE -- '-mmacosx-version-min=[0-9.]+' "$build/build.ninja" | sort -u)
  if [ "$flags" != "-mmacosx-version-min=$target" ] ||
     ! grep -q -- '-Xlinker -e -Xlinker _NSExtensionMain' "$build/build.ninja"; then
    echo "not built for macOS $target, or not entered at _NSExtensionMain: $flags" >&2
    exit 1
  fi
}
configure "$fake/default"
check_configuration "$fake/default" 12.0
configure "$fake/newer" -DCMAKE_OSX_DEPLOYMENT_TARGET=13.0 \
  -DTESSVIK_BUNDLE_ID_PREFIX=org.example.sync -DTESSVIK_APP_OPENS_SHARE_URLS=ON
check_configuration "$fake/newer" 13.0
echo "configuration: the extension and its application, embedded then signed, for the declared macOS (set before project()), entered at _NSExtensionMain"

python3 - "$fake/default/hosts/macos" "$fake/newer/hosts/macos" hosts/macos/TessvikFinder.entitlements <<'PY'
import plistlib, sys

problems = []
for folder, target, prefix, urls in ((sys.argv[1], "12.0", "com.tessvik.tessvik", False),
                                     (sys.argv[2], "13.0", "org.example.sync", True)):
    bundles = {
        "TessvikFinder.appex": {"CFBundleExecutable": "TessvikFinder",
                                "CFBundleIdentifier": prefix + ".finder",
                                "CFBundlePackageType": "XPC!"},
        "TessVik.app": {"CFBundleExecutable": "TessVik", "CFBundleIdentifier": prefix,
                        "CFBundlePackageType": "APPL"},
    }
    for bundle, expected in bundles.items():
        path = f"{folder}/{bundle}/Contents/Info.plist"
        info = plistlib.load(open(path, "rb"))
        expected["LSMinimumSystemVersion"] = target
        problems += [f"{path}: {k} is {info.get(k)!r}, not {v!r}" for k, v in expected.items()
                     if info.get(k) != v]
    path = f"{folder}/TessvikFinder.appex/Contents/Info.plist"
    extension = plistlib.load(open(path, "rb")).get("NSExtension", {})
    for k, v in {"NSExtensionPointIdentifier": "com.apple.FinderSync",
                 "NSExtensionPrincipalClass": "FinderSync"}.items():
        if extension.get(k) != v:
            problems.append(f"{path}: NSExtension {k} is {extension.get(k)!r}, not {v!r}")
    path = f"{folder}/TessVik.app/Contents/Info.plist"
    types = plistlib.load(open(path, "rb")).get("CFBundleURLTypes")
    wanted = [{"CFBundleURLName": prefix + ".share", "CFBundleURLSchemes": ["tessvik"]}] if urls else None
    if types != wanted:
        problems.append(f"{path}: CFBundleURLTypes is {types!r}, not {wanted!r}")

entitlements = plistlib.load(open(sys.argv[3], "rb"))
wanted = {
    "com.apple.security.app-sandbox": True,
    "com.apple.security.temporary-exception.files.home-relative-path.read-only":
        ["/Library/Application Support/tessvik/"],
}
if entitlements != wanted:
    problems.append(f"the entitlements are {entitlements!r}, not exactly {wanted!r}")

for p in problems:
    print(p, file=sys.stderr)
sys.exit(1 if problems else 0)
PY
echo "bundles: the generated Info.plist files and the entitlements as required"
