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

# Xvfb's root window stays black whatever xsetroot says, so a full-screen picture window stands in
# for the desktop: the screenshot then shows it through the overlay around the ink.
width=${size%x*}
height=${size#*x}
desktop=$(mktemp --suffix=.png)
trap 'cleanup; rm -f "$desktop"' EXIT
convert -size "$size" 'gradient:#2b5876-#4e4376' \
  -fill '#e8a33d' -draw "rectangle $((width*3/10)),$((height*6/10)) $((width*4/10)),$((height*8/10))" \
  -fill '#5fb3a1' -draw "rectangle $((width*45/100)),$((height*5/10)) $((width*55/100)),$((height*8/10))" \
  -fill '#d6d6e8' -draw "rectangle $((width*6/10)),$((height*4/10)) $((width*7/10)),$((height*8/10))" \
  -gravity north -fill white -pointsize $((height/14)) -annotate +0+$((height/8)) 'Quarterly review' \
  "$desktop"
display -geometry "${size}+0+0" -borderwidth 0 -title desktop "$desktop" & pids+=($!)
sleep 0.5

"$program" & ravlin=$!
pids+=($ravlin)
sleep 3
# A short pen stroke (Shift+Alt+P picks the pen) across the chart, so the screenshot shows ink on
# a see-through overlay.
xdotool key shift+alt+p
sleep 0.5
x0=$((width*25/100)) y0=$((height*45/100))
xdotool mousemove "$x0" "$y0" mousedown 1
for step in $(seq 1 12); do
  xdotool mousemove $((x0 + step*width*4/100)) $((y0 + (step%4)*height*2/100 - step*height/100))
  sleep 0.03
done
xdotool mouseup 1
sleep 0.5
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
