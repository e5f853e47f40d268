#!/usr/bin/env bash
# Takes the pictures of the user guide (docs/pictures/*.png) from the built program, running in a
# private virtual display with a compositing manager. Run it after changes that show in them and
# commit the pictures; the build only lays them out.
#   docs/take-pictures.sh build/bin/ravlin
set -euo pipefail
program=$(realpath "${1:?usage: take-pictures.sh PATH/TO/ravlin}")
out=$(cd "$(dirname "$0")" && pwd)/pictures
work=$(mktemp -d)
mkdir -p "$out" "$work/runtime" "$work/home"
chmod 700 "$work/runtime"

display=""
for n in $(seq 60 200); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "take-pictures: no free display number" >&2; exit 1; }

pids=()
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do
    kill "${pids[$i]}" 2>/dev/null || true
    wait "${pids[$i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

export DISPLAY=$display HOME=$work/home XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
Xvfb "$display" -nolisten tcp +extension Composite +extension RENDER -screen 0 1280x800x24 &
pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xcompmgr & pids+=($!)

# A slide behind the drawing, as a presentation would show.
convert -size 1280x800 gradient:'#f4f7fb-#c9d8ea' \
  -fill '#1d4f7a' -font Liberation-Sans-Bold -pointsize 54 -annotate +120+220 'Quarterly Review' \
  -fill '#333333' -font Liberation-Sans -pointsize 30 \
  -annotate +140+330 '- Sales grew in every region' \
  -annotate +140+390 '- Two new products shipped' \
  -annotate +140+450 '- Next: the roadmap for spring' "$work/slide.png"
display -geometry 1280x800+0+0 -immutable "$work/slide.png" & pids+=($!)
sleep 1.5

# A stand-in webcam and microphone, so the webcam window shows a picture and a level.
export RAVLIN_WEBCAM_SOURCE="videotestsrc is-live=true pattern=smpte ! video/x-raw,width=320,height=240,framerate=20/1"
export RAVLIN_WEBCAM_MICROPHONE="audiotestsrc is-live=true wave=sine freq=220 volume=0.6"
"$program" & pids+=($!)
sleep 4

send() {
  "$program" --command "$1"
  sleep 0.6
}
drag() { # x1 y1 x2 y2
  xdotool mousemove "$1" "$2" mousedown 1
  for i in $(seq 1 16); do
    xdotool mousemove $(( $1 + ($3 - $1) * i / 16 )) $(( $2 + ($4 - $2) * i / 16 + (i % 4) * 3 ))
    sleep 0.04
  done
  xdotool mouseup 1
  sleep 0.3
}

send marker
drag 130 345 660 345
send pen
drag 120 240 600 250
drag 600 250 590 262
send webcam
sleep 8                         # a fresh HOME makes GStreamer build its plugin cache first
import -window root "$work/screen.png"

convert "$work/screen.png" -resize 1120x700 "$out/overview.png"
convert "$work/screen.png" -crop 760x420+100+150 +repage "$out/drawing.png"
convert "$work/screen.png" -crop 240x188+1030+32 +repage "$out/webcam.png"
# The toolbar: the band at the top centre where it starts.
convert "$work/screen.png" -crop 820x56+230+2 +repage "$out/toolbar.png"
echo "take-pictures: wrote $(ls "$out")"
