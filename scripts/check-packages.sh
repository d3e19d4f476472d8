#!/usr/bin/env bash
# Builds the .deb packages of the file-manager extensions (Dolphin's too) and
# of the Syncthing bridge (scripts/build-packages.sh) and checks them with dpkg
# on this machine: an upgrade, a reinstall, a removal and a purge each leave
# every file where the file managers and systemd read it, or nothing at all,
# and no empty folder; the bridge's package runs no script, so that it starts
# nothing. Also checks `cmake --install`: each file once in the manifest, and
# --prefix moving them all, the bridge's unit naming the program where it
# went. Needs root; the file managers stay installed, the packages do not.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-packages.sh >/dev/null
scripts/install-deps.sh hicolor-icon-theme gtk-update-icon-cache nautilus nemo caja dolphin systemd
build="build-packages"

fail() { echo "check-packages: $*" >&2; exit 1; }
names=(tessvik-emblems tessvik-nautilus tessvik-nemo tessvik-caja tessvik-dolphin tessvik-syncthing)
debs=()
for name in "${names[@]}"; do debs+=("$build"/packages/"${name}"_*.deb); done
# Every file the packages must install, from the file managers' own settings.
expected=()
for pair in nautilus:libnautilus-extension-4 nemo:libnemo-extension caja:libcaja-extension; do
  expected+=("$(pkg-config --variable=extensiondir "${pair#*:}")/libtessvik-${pair%%:*}.so")
done
plugins=$(/usr/lib/qt5/bin/qmake -query QT_INSTALL_PLUGINS)  # from qtbase5-dev, which the build needs
expected+=("$plugins/kf5/overlayicon/tessvik-dolphin-overlay.so" "$plugins/kf5/kfileitemaction/tessvik-dolphin-menu.so")
theme=/usr/share/icons/hicolor
for svg in file_manager/emblems/*.svg; do expected+=("$theme/scalable/emblems/${svg##*/}"); done
for svg in file_manager/emblems/16x16/*.svg; do expected+=("$theme/16x16/emblems/${svg##*/}"); done
unit=/usr/lib/systemd/user/tessvik-syncthing.service
expected+=(/usr/bin/tessvik-syncthing "$unit")
# What the packages may leave behind: anything of ours, and empty folders.
traces() { find /usr /etc /var/lib/dpkg/info -xdev \( -name '*tessvik*' -o -type d -empty \) | sort; }
installed() {
  for f in "${expected[@]}"; do [ -f "$f" ] || fail "$1: $f is missing"; done
  [ -z "$(dpkg --verify "${names[@]}")" ] || fail "$1: dpkg --verify: $(dpkg --verify "${names[@]}")"
  grep -q emblem-tessvik-syncing $theme/icon-theme.cache || fail "$1: the icon cache lacks the emblems"
  grep -qx "ExecStart=/usr/bin/tessvik-syncthing" $unit || fail "$1: the unit does not start /usr/bin/tessvik-syncthing"
  systemd-analyze verify $unit || fail "$1: systemd refuses the unit"
  ! ls /var/lib/dpkg/info/tessvik-syncthing.{pre,post}{inst,rm} 2>/dev/null || fail "$1: tessvik-syncthing runs scripts"
  echo "check-packages: $1: ok"
}

dpkg -P "${names[@]}" >/dev/null 2>&1 || true
trap 'dpkg -P "${names[@]}" >/dev/null 2>&1 || true' EXIT
before=$(traces)

# An older emblems package with an emblem since dropped: the upgrade removes it.
old=$(mktemp -d)
dpkg-deb -R "${debs[0]}" "$old/deb"
sed -i 's/^Version: .*/Version: 0.0.1/' "$old/deb/DEBIAN/control"
echo '<svg xmlns="http://www.w3.org/2000/svg"/>' > "$old/deb$theme/scalable/emblems/emblem-tessvik-dropped.svg"
dpkg-deb -b "$old/deb" "$old/old.deb" >/dev/null
dpkg -i "$old/old.deb" >/dev/null
dpkg -i "${debs[@]}" >/dev/null
installed upgrade
[ ! -e $theme/scalable/emblems/emblem-tessvik-dropped.svg ] || fail "upgrade: a dropped emblem stayed"
dpkg -i "${debs[@]}" >/dev/null
installed reinstall
dpkg -r "${names[@]}" >/dev/null
for f in "${expected[@]}"; do [ ! -e "$f" ] || fail "remove: $f stayed"; done
! grep -q emblem-tessvik $theme/icon-theme.cache || fail "remove: the icon cache still names the emblems"
dpkg -P "${names[@]}" >/dev/null 2>&1
[ "$(traces)" = "$before" ] || fail "purge left: $(diff <(echo "$before") <(traces) | grep '^>')"
echo "check-packages: remove and purge: nothing left"

# By hand: every file once in the manifest, all under the prefix given.
rm -rf "$old/root"
DESTDIR="$old/root" cmake --install $build --prefix /opt/tessvik >/dev/null
manifest=$build/install_manifest.txt
[ -z "$(sort "$manifest" | uniq -d)" ] || fail "manifest: $(sort "$manifest" | uniq -d)"
[ "$(grep -c '' "$manifest")" -eq ${#expected[@]} ] || fail "manifest: $(grep -c '' "$manifest") files, expected ${#expected[@]}"
! grep -v "^/opt/tessvik/" "$manifest" || fail "manifest: outside the prefix"
grep -qx "ExecStart=/opt/tessvik/bin/tessvik-syncthing" "$old/root/opt/tessvik/lib/systemd/user/tessvik-syncthing.service" ||
  fail "manifest: the unit does not start /opt/tessvik/bin/tessvik-syncthing"
sed "s|^|$old/root|" "$manifest" | xargs rm
rm -rf "$old"
echo "check-packages: passed"
