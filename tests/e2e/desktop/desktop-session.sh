#!/usr/bin/env bash
# Starts a private, headless Wayland desktop for the end-to-end tests, and stops it again.
#   desktop-session.sh start gnome|kde DIR [WIDTHxHEIGHT]   (prints "ready" or why not)
#   desktop-session.sh stop DIR
# DIR is the home folder; it gets a private runtime folder (DIR/runtime) and XDG folders, a session bus, PipeWire with
# WirePlumber and the desktop itself (GNOME Shell with XWayland, or KWin with XWayland).
# DIR/env then holds what a client of that desktop exports. Every process started here is
# recorded in DIR/pids and ended by "stop", together with the ones the bus started for it.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

say_env() { # the variables a client of the session needs, for DIR/env
  for v in XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME HOME \
           XDG_SESSION_TYPE XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS \
           WAYLAND_DISPLAY DISPLAY XAUTHORITY KDE_FULL_SESSION KDE_SESSION_VERSION; do
    [ -n "${!v:-}" ] && printf '%s=%s\n' "$v" "${!v}"
  done
}

stop() {
  local dir=$1 rt=$1/runtime self=" " p
  p=$$; while [ "$p" -gt 1 ]; do self="$self$p "; p=$(awk '{print $4}' /proc/$p/stat 2>/dev/null || echo 1); done
  # The recorded processes, and every one the session bus or the desktop started for it (they
  # carry the session's runtime folder in their environment).
  local pids
  pids=$( { awk '{print $1}' "$dir/pids" 2>/dev/null
            for e in /proc/[0-9]*/environ; do
              { tr '\0' '\n' < "$e" | grep -qx "XDG_RUNTIME_DIR=$rt"; } 2>/dev/null && { e=${e#/proc/}; echo "${e%/environ}"; }
            done; } | sort -un | while read -r p; do case "$self" in *" $p "*) ;; *) echo "$p";; esac; done)
  for p in $pids; do kill "$p" 2>/dev/null; done
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    local left=0
    for p in $pids; do [ -e /proc/$p ] && [ "$(awk '{print $3}' /proc/$p/stat 2>/dev/null)" != Z ] && left=1; done
    [ $left = 0 ] && break; sleep 0.2
  done
  for p in $pids; do [ -e /proc/$p ] && kill -9 "$p" 2>/dev/null; done
  mountpoint -q "$rt/doc" 2>/dev/null && fusermount3 -u "$rt/doc" 2>/dev/null
}

if [ "${1:-}" = stop ]; then stop "${2:?DIR}"; exit 0; fi
[ "${1:-}" = start ] || { echo "usage: $0 start gnome|kde DIR [SIZE] | stop DIR"; exit 2; }
kind=${2:?gnome or kde}; dir=${3:?DIR}; size=${4:-1280x800}
mkdir -p "$dir"; chmod 700 "$dir"; : > "$dir/pids"
export XDG_RUNTIME_DIR=$dir/runtime XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data \
       XDG_CACHE_HOME=$dir/cache XDG_STATE_HOME=$dir/state HOME=$dir XDG_SESSION_TYPE=wayland
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XAUTHORITY
bg() { local log=$1; shift; "$@" >"$dir/$log.log" 2>&1 & echo "$! $log" >> "$dir/pids"; }
wait_for() { local n=$1; shift; while ! "$@" >/dev/null 2>&1; do n=$((n-1)); [ $n -le 0 ] && return 1; sleep 0.1; done; }
fail() { echo "not ready: $*"; exit 1; }

need() { command -v "$1" >/dev/null 2>&1 || fail "$1 is not installed"; }
need dbus-daemon; need pipewire; need wireplumber
read -r DBUS_SESSION_BUS_ADDRESS bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | tr '\n' ' ')
export DBUS_SESSION_BUS_ADDRESS; echo "$bus_pid session-bus" >> "$dir/pids"
bg pipewire pipewire
wait_for 50 test -S "$XDG_RUNTIME_DIR/pipewire-0" || fail "PipeWire did not start"
bg wireplumber wireplumber

xwayland_of() { # DISPLAY and XAUTHORITY from the command line of the desktop's Xwayland
  local xw n=300
  while [ $n -gt 0 ]; do
    xw=$(pgrep -P "$1" -x Xwayland | head -1)
    [ -n "$xw" ] && break; sleep 0.1; n=$((n-1))
  done
  [ -n "$xw" ] || return 1
  read -r -a args < <(tr '\0' ' ' < /proc/$xw/cmdline)
  export DISPLAY=${args[1]}
  for i in "${!args[@]}"; do [ "${args[$i]}" = -auth ] && export XAUTHORITY=${args[$((i+1))]}; done
  # Ready once it takes clients.
  wait_for 100 xdpyinfo
}

if [ "$kind" = gnome ]; then
  need gnome-shell
  # Debian's own Python, where python3-dbusmock is (not one a developer put first on PATH).
  py=/usr/bin/python3
  "$py" -c 'import dbusmock' 2>/dev/null || fail "python3-dbusmock is not installed"
  export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
  # gnome-shell wants logind on the system bus wherever /run/systemd/seats exists: a private
  # "system" bus with a stand-in logind.
  read -r DBUS_SYSTEM_BUS_ADDRESS sys_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | tr '\n' ' ')
  export DBUS_SYSTEM_BUS_ADDRESS; echo "$sys_pid system-bus" >> "$dir/pids"
  bg logind "$py" -m dbusmock --system --template logind
  wait_for 100 gdbus introspect --system -d org.freedesktop.login1 -o /org/freedesktop/login1 \
    || fail "the stand-in logind did not start"
  dbus-update-activation-environment HOME DBUS_SYSTEM_BUS_ADDRESS XDG_CURRENT_DESKTOP \
    XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR XDG_SESSION_TYPE 2>/dev/null
  mkdir -p "$XDG_DATA_HOME/gnome-shell/extensions"
  cp -r "$here/ravlin-test-helper@ravlin" "$XDG_DATA_HOME/gnome-shell/extensions/"
  gsettings set org.gnome.shell enabled-extensions "['ravlin-test-helper@ravlin']"
  gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
  bg gnome-shell gnome-shell --headless --wayland --virtual-monitor "$size"
  shell_pid=$(awk '$2 == "gnome-shell" {print $1}' "$dir/pids")
  xwayland_of "$shell_pid" || fail "GNOME Shell did not start XWayland (see gnome-shell.log)"
  export WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-? 2>/dev/null | head -1)
  wait_for 200 grep -q 'GNOME Shell started' "$dir/gnome-shell.log" || fail "GNOME Shell did not start"
  # A window mapped in the first second after the shell says it started was sometimes never
  # drawn (GNOME Shell 43): let it settle.
  sleep 2
elif [ "$kind" = kde ]; then
  need kwin_wayland
  export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 XDG_SESSION_DESKTOP=KDE
  kwin=/usr/bin/kwin_wayland
  # The installed kwin_wayland carries a file capability that a container may not grant (exec
  # then fails): a copy without it works, and must keep its name.
  if ! "$kwin" --version >/dev/null 2>&1; then
    mkdir -p "$dir/bin"; cp "$kwin" "$dir/bin/kwin_wayland"; kwin=$dir/bin/kwin_wayland
  fi
  w=${size%x*}; h=${size#*x}
  bg kwin "$kwin" --virtual --width "$w" --height "$h" --xwayland --no-lockscreen -s wayland-ravlin
  kwin_pid=$(awk '$2 == "kwin" {print $1}' "$dir/pids")
  xwayland_of "$kwin_pid" || fail "KWin did not start XWayland (see kwin.log)"
  export WAYLAND_DISPLAY=wayland-ravlin
  dbus-update-activation-environment HOME XDG_CURRENT_DESKTOP XDG_CONFIG_HOME XDG_DATA_HOME \
    XDG_CACHE_HOME XDG_RUNTIME_DIR XDG_SESSION_TYPE WAYLAND_DISPLAY DISPLAY XAUTHORITY \
    KDE_FULL_SESSION KDE_SESSION_VERSION 2>/dev/null
else
  fail "unknown desktop $kind"
fi
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY 2>/dev/null
say_env > "$dir/env"
echo ready
