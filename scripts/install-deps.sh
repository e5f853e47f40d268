#!/usr/bin/env bash
# Installs everything Ravlin's build, the program itself and its tests need, from Debian's
# packages. Safe to run again: when every package is present it does nothing.
#   scripts/install-deps.sh [--bench]   --bench: also what only `make bench` runs
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libxcb1-dev libxcb-xfixes0-dev libxcb-shape0-dev libxcb-shm0-dev libxcb-keysyms1-dev
  libxcb-composite0-dev libx11-xcb-dev
  # benchmarks: the pointer moved through XTest
  libxcb-xtest0-dev
  # recording: skipping screens that did not change
  libxcb-damage0-dev
  libtinyxml2-dev libgif-dev libfontconfig-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  librsvg2-bin
  # fuzzing: clang with libFuzzer
  clang-14 libclang-rt-14-dev
  # run time
  fonts-liberation2 fonts-dejavu-core
  qt6-qpa-plugins libqt6svg6
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
  gstreamer1.0-plugins-base-apps gstreamer1.0-pulseaudio
  # run time on Wayland desktops: the screen's PipeWire stream for recordings
  gstreamer1.0-pipewire
  # the package: .deb dependencies (dpkg-shlibdeps), the AppStream check, Debian's package
  # checks
  dpkg-dev appstream lintian
  # tests: virtual display, compositor, window manager, input, clipboard, pixels, sound, media
  xvfb xauth x11-utils x11-xserver-utils xcompmgr picom openbox xdotool xclip
  imagemagick pulseaudio pulseaudio-utils ffmpeg procps psmisc
  # tests: keyboard layouts (setxkbmap), several monitors (Xorg's dummy driver), a Wayland
  # desktop (weston's headless back end with XWayland), immutable folders (chattr)
  x11-xkb-utils
  xserver-xorg-core xserver-xorg-video-dummy
  weston xwayland
  e2fsprogs
  # tests on Wayland desktops with their portals: headless GNOME Shell 43 (with a stand-in
  # logind, a native GTK window) and KWin 5.27, PipeWire, the portals and their back ends
  gnome-shell xdg-desktop-portal xdg-desktop-portal-gnome xdg-desktop-portal-gtk
  python3-dbusmock python3-gi gir1.2-gtk-3.0 libglib2.0-bin
  kwin-wayland xdg-desktop-portal-kde qtwayland5
  pipewire pipewire-bin wireplumber
  # tests of the tray icon and the desktop notifications: a tray host and a session bus
  trayer
  dbus-daemon
  # Help: the desktop's PDF handler lookup; the guide's tests read the PDF back
  xdg-utils
  poppler-utils
)

# Only the benchmarks: the peer whose start-up and ink latency ours are measured against.
if [ "${1:-}" = "--bench" ]; then
  PACKAGES+=(gromit-mpx)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
APT=(-o DPkg::Lock::Timeout=600 -y -q)
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get "${APT[@]}" update
$SUDO apt-get "${APT[@]}" install --no-install-recommends "${missing[@]}"
