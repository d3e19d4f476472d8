#!/usr/bin/env bash
# Checks the macOS extension on Linux, where no macOS SDK exists:
# - every Objective-C++ file of hosts/macos compiles and generates code (ARC,
#   blocks, the Apple runtime's rules) with clang 14, against our stand-in
#   declarations of the Apple API it uses (hosts/macos/check/sdk), with the
#   project's warnings as errors;
# - the principal class is known to the runtime as exactly FinderSync, derives
#   from FIFinderSync, and implements exactly the calls the Finder makes;
# - the bundle's Info.plist and entitlements hold what the extension needs.
# Installs clang 14 and python3 with apt-get when they are missing.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh clang-14 python3

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

flags=(-x objective-c++ -std=c++20 -fobjc-arc -fblocks -fobjc-runtime=macosx-12.0
       -isystem hosts/macos/check/sdk -I .
       -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror
       -Wnullable-to-nonnull-conversion -Wundeclared-selector -Wobjc-missing-super-calls
       -Warc-repeated-use-of-weak -Wimplicit-retain-self -Wstrict-selector-match)
for source in hosts/macos/*.mm; do
  clang++-14 "${flags[@]}" -S -o "$out/$(basename "$source" .mm).s" "$source"
done
echo "compiled: $(ls hosts/macos/*.mm | wc -l) Objective-C++ files"

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
if ! grep -q '^	\.globl	OBJC_CLASS_\$_FinderSync$' "$asm" ||
   [ "$(grep -A2 '^OBJC_CLASS_\$_FinderSync:$' "$asm" | sed -n 3p | tr -d '\t')" \
     != ".quadOBJC_CLASS_\$_FIFinderSync" ]; then
  echo "the principal class is not a global FinderSync derived from FIFinderSync" >&2
  exit 1
fi
echo "principal class: FinderSync : FIFinderSync, with the Finder's five calls"

python3 - hosts/macos/Info.plist hosts/macos/TessvikFinder.entitlements <<'PY'
import plistlib, sys

info = plistlib.load(open(sys.argv[1], "rb"))
extension = info.get("NSExtension", {})
expected = {
    "CFBundleIdentifier": "com.tessvik.tessvik.finder",
    "CFBundlePackageType": "XPC!",
    "LSMinimumSystemVersion": "12.0",
}
problems = [f"Info.plist {k} is {info.get(k)!r}, not {v!r}" for k, v in expected.items()
            if info.get(k) != v]
for k, v in {"NSExtensionPointIdentifier": "com.apple.FinderSync",
             "NSExtensionPrincipalClass": "FinderSync"}.items():
    if extension.get(k) != v:
        problems.append(f"Info.plist NSExtension {k} is {extension.get(k)!r}, not {v!r}")

entitlements = plistlib.load(open(sys.argv[2], "rb"))
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
echo "bundle: Info.plist and entitlements as required"
