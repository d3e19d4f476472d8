#!/usr/bin/env bash
# Checks a built TessvikFinder.appex on a Mac, as it will ship: a well-formed
# Info.plist; arm64 and x86_64 code; no library but the system's; entered at
# Foundation's _NSExtensionMain, with no main of its own; signed ad hoc with
# its entitlements, the signature strictly valid and carrying exactly the two
# entitlements. Exits non-zero on the first failure.
set -euo pipefail
bundle=${1:?usage: hosts/macos/check-bundle.sh PATH/TO/TessvikFinder.appex}
entitlements="$(cd "$(dirname "$0")" && pwd)/TessvikFinder.entitlements"
binary="$bundle/Contents/MacOS/TessvikFinder"
fail() {
  echo "check-bundle: $*" >&2
  exit 1
}

plutil -lint "$bundle/Contents/Info.plist"

archs=$(lipo -archs "$binary")
for arch in arm64 x86_64; do
  [[ " $archs " == *" $arch "* ]] || fail "no $arch code (it has: $archs)"
  # Read whole first: grep -q stopping early would fail nm, and the pipe, with it.
  imported=$(nm -u -arch "$arch" "$binary")
  defined=$(nm -U -arch "$arch" "$binary")
  grep -qx _NSExtensionMain <<<"$imported" || fail "$arch: _NSExtensionMain is not its entry"
  if grep -q ' _main$' <<<"$defined"; then fail "$arch: a main of its own"; fi
done
echo "architectures: $archs; entry: _NSExtensionMain"

# Each architecture's libraries are the lines indented under its heading.
others=$(otool -L "$binary" | grep -E '^[[:space:]]' | awk '{print $1}' |
         grep -v -E '^(/usr/lib/|/System/)' || true)
[ -z "$others" ] || fail "links libraries beyond the system's: $others"
echo "libraries: the system's only"

codesign --force --options runtime --sign - --entitlements "$entitlements" "$bundle"
codesign --verify --strict --verbose=2 "$bundle"
codesign -d --entitlements - "$bundle"
signed=$(mktemp)
trap 'rm -f "$signed"' EXIT
codesign -d --entitlements - --xml "$bundle" > "$signed"
python3 - "$signed" "$entitlements" <<'PY'
import plistlib, sys
signed, wanted = (plistlib.load(open(path, "rb")) for path in sys.argv[1:])
if signed != wanted:
    sys.exit(f"check-bundle: the signature carries {signed!r}, not exactly {wanted!r}")
PY
echo "signature: valid, with exactly the two entitlements"
