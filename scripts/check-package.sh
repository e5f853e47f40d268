#!/usr/bin/env bash
# Builds the .deb from an existing build tree (cpack; nothing is compiled again), unpacks it into
# a scratch root with dpkg -x as a user's system would lay it out, and checks what a desktop
# needs from it. The copy under ROOT/usr/bin is then ready to be started.
#   scripts/check-package.sh BUILD_DIR ROOT
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_DIR ROOT}" && pwd)
root=${2:?usage: check-package.sh BUILD_DIR ROOT}

rm -f "$build"/ravlin_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/ravlin_*.deb)
rm -rf "$root"
dpkg -x "$deb" "$root"

failed=0
check() { # description, then the command that must succeed
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "MISSING: $what"; failed=1; fi
}
usr=$root/usr
check "executable in bin" test -x "$usr/bin/ravlin"
check "toolbar definition in share/ravlin" test -f "$usr/share/ravlin/Arts/toolbar.xml"
check "skin in share/ravlin" test -f "$usr/share/ravlin/Arts/toolbar/bk_pad.png"
check "menu item pictures in share/ravlin" test -d "$usr/share/ravlin/Arts/menu"
check "no art beside the executable (the copy must use share/ravlin)" test ! -e "$usr/bin/Arts"
check "desktop file" grep -qx 'Exec=ravlin' "$usr/share/applications/ravlin.desktop"
for png in "$build"/resources/icon/ravlin-*.png; do
  size=${png##*-}; size=${size%.png}
  check "icon ${size}x${size}" cmp "$png" "$usr/share/icons/hicolor/${size}x${size}/apps/ravlin.png"
done
check "scalable icon" test -f "$usr/share/icons/hicolor/scalable/apps/ravlin.svg"
check "AppStream metainfo passes appstreamcli validate" \
  appstreamcli validate --no-net "$usr/share/metainfo/com.norvane.ravlin.metainfo.xml"
check "man page" sh -c "gzip -dc '$usr/share/man/man1/ravlin.1.gz' | grep -q '^.TH RAVLIN 1'"
check "package depends on the fonts" sh -c "dpkg-deb -f '$deb' Depends | grep -q fonts-liberation2"
check "package depends on GStreamer's PipeWire source (Wayland recordings)" \
  sh -c "dpkg-deb -f '$deb' Depends | grep -q gstreamer1.0-pipewire"
check "copyright and changelog in share/doc/ravlin" \
  test -f "$usr/share/doc/ravlin/copyright" -a -f "$usr/share/doc/ravlin/changelog.gz"
# Debian's own checks: no error (warnings and notes are printed for the reader).
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
printf '%s\n' "$lintian_out" | sed 's/^/lintian: /'
check "lintian finds no error" sh -c "! printf '%s\n' \"\$1\" | grep -q '^E: '" _ "$lintian_out"
if [ -f "$build/bin/Ravlin_Help_Win.pdf" ]; then
  check "user guide in share/ravlin" test -f "$usr/share/ravlin/Ravlin_Help_Win.pdf"
fi
exit $failed
