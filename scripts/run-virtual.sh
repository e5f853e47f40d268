#!/usr/bin/env bash
# Runs Ravlin inside a private virtual display with a compositing manager, for machines without
# a screen. Prints how to look at the session, saves a screenshot, and stops everything when
# Ravlin ends or this script is interrupted.
#   scripts/run-virtual.sh PATH/TO/ravlin [SCREENSHOT.png]
set -euo pipefail
program=${1:?usage: run-virtual.sh PATH/TO/ravlin [SCREENSHOT.png]}
shot=${2:-$PWD/ravlin-screenshot.png}
size=${RAVLIN_SCREEN:-1280x800}

display=""
for n in $(seq 50 200); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "run-virtual: no free display number" >&2; exit 1; }

pids=()
cleanup() {
  # Ravlin first, and give it time to leave in order, then the session under it.
  for ((i=${#pids[@]}-1; i>=0; i--)); do
    kill "${pids[$i]}" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "${pids[$i]}" 2>/dev/null || break; sleep 0.1; done
  done
}
trap cleanup EXIT INT TERM

Xvfb "$display" -nolisten tcp +extension Composite +extension RENDER -screen 0 "${size}x24" &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xcompmgr & pids+=($!)
sleep 0.5

"$program" & ravlin=$!
pids+=($ravlin)
sleep 3
import -window root "$shot"
cat <<MSG
Ravlin runs on the virtual display $DISPLAY (${size}, with the xcompmgr compositing manager).
A screenshot of the session is in $shot.
To look at it or drive it from this machine:
  DISPLAY=$DISPLAY import -window root shot.png     # another screenshot
  DISPLAY=$DISPLAY xdotool mousemove 400 300 click 1 # a click
  (with x11vnc installed: x11vnc -display $DISPLAY, then any VNC viewer)
Press Ctrl+C to end Ravlin and the virtual display.
MSG
wait "$ravlin" || true
