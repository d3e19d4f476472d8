#!/usr/bin/env bash
# Checks a built TessVik.app on a Mac, as it will ship, with
# TessvikFinder.appex in its Contents/PlugIns: well-formed Info.plist files,
# the application's identifier the prefix of the extension's; arm64 and
# x86_64 code in both; no library but the system's; the extension entered at
# Foundation's _NSExtensionMain, with no main of its own; both signed with
# the hardened runtime, each signature strictly valid, the extension's
# carrying exactly its two entitlements and the application's none (so the
# extension was signed on its own, not by a --deep signing of the
# application). Exits non-zero on the first failure.
set -euo pipefail
app=${1:?usage: hosts/macos/check-bundle.sh PATH/TO/TessVik.app}
entitlements="$(cd "$(dirname "$0")" && pwd)/TessvikFinder.entitlements"
extension="$app/Contents/PlugIns/TessvikFinder.appex"
fail() {
  echo "check-bundle: $*" >&2
  exit 1
}
[ -d "$extension" ] || fail "no TessvikFinder.appex in $app/Contents/PlugIns"

plutil -lint "$app/Contents/Info.plist" "$extension/Contents/Info.plist"
app_id=$(plutil -extract CFBundleIdentifier raw "$app/Contents/Info.plist")
extension_id=$(plutil -extract CFBundleIdentifier raw "$extension/Contents/Info.plist")
[[ $extension_id == "$app_id".* ]] ||
  fail "the extension's identifier $extension_id does not begin with the application's, $app_id"
echo "identifiers: $app_id, $extension_id"

for binary in "$app/Contents/MacOS/TessVik" "$extension/Contents/MacOS/TessvikFinder"; do
  archs=$(lipo -archs "$binary")
  for arch in arm64 x86_64; do
    [[ " $archs " == *" $arch "* ]] || fail "$binary: no $arch code (it has: $archs)"
  done
  # Each architecture's libraries are the lines indented under its heading.
  others=$(otool -L "$binary" | grep -E '^[[:space:]]' | awk '{print $1}' |
           grep -v -E '^(/usr/lib/|/System/)' || true)
  [ -z "$others" ] || fail "$binary links libraries beyond the system's: $others"
done
echo "architectures: arm64 and x86_64 in both; libraries: the system's only"

for arch in arm64 x86_64; do
  # Read whole first: grep -q stopping early would fail nm, and the pipe, with it.
  binary="$extension/Contents/MacOS/TessvikFinder"
  imported=$(nm -u -arch "$arch" "$binary")
  defined=$(nm -U -arch "$arch" "$binary")
  grep -qx _NSExtensionMain <<<"$imported" || fail "$arch: _NSExtensionMain is not its entry"
  if grep -q ' _main$' <<<"$defined"; then fail "$arch: the extension has a main of its own"; fi
done
echo "extension entry: _NSExtensionMain"

for bundle in "$extension" "$app"; do
  codesign --verify --strict --verbose=2 "$bundle"
  details=$(codesign -d --verbose=2 "$bundle" 2>&1)
  grep -qE '^CodeDirectory .*flags=.*runtime' <<<"$details" ||
    fail "$bundle is not signed with the hardened runtime"
done
signed=$(mktemp -d)
trap 'rm -rf "$signed"' EXIT
codesign -d --entitlements - --xml "$extension" > "$signed/extension.plist"
codesign -d --entitlements - --xml "$app" > "$signed/app.plist"
python3 - "$signed/extension.plist" "$entitlements" "$signed/app.plist" <<'PY'
import plistlib, sys
def load(path):
    data = open(path, "rb").read()
    return plistlib.loads(data) if data.strip() else {}
signed, wanted, app = (load(path) for path in sys.argv[1:])
if signed != wanted:
    sys.exit(f"check-bundle: the extension's signature carries {signed!r}, not exactly {wanted!r}")
if app:
    sys.exit(f"check-bundle: the application's signature carries entitlements: {app!r}")
PY
echo "signatures: valid, hardened; the extension's with exactly its two entitlements, the application's with none"
