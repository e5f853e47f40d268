#!/usr/bin/env bash
# Recording benchmark: Ravlin's recording pipeline (bench/RecordingSoak.cpp, "bench" mode: the
# program's own classes, High, with microphone sound) next to `ffmpeg -f x11grab -c:v wmv2`,
# one after the other on the same private 1920 x 1080 screen, for two scenes: a full-screen
# animation and a still slide with a pen stroke added every second.
#   scripts/recording-bench.sh BUILD_DIR
# RAVLIN_BENCH_RECORD_SECONDS (default 60) shortens the recordings for a quick look.
# Both encoders get the same bit rate, key-frame spacing and quantiser range (2-31); neither
# draws the pointer. The picture holds still for the last 2 s of each recording, and a lossless
# grab of the screen then is the reference for the PSNR of the recording's last second.
set -euo pipefail
build=${1:-build}
bin=$build/bin
seconds=${RAVLIN_BENCH_RECORD_SECONDS:-60}
rate=25

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

for n in $(seq 260 360); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then export DISPLAY=:$n; break; fi
done
Xvfb "$DISPLAY" -nolisten tcp -screen 0 1920x1080x24 & pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A microphone with a tone: a null sink whose monitor, remapped, is an ordinary source.
pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit --use-pid-file=false \
  -L module-native-protocol-unix -L "module-null-sink sink_name=nullsink" -L module-always-sink \
  -L "module-remap-source master=nullsink.monitor source_name=mic source_properties=device.description=Microphone" \
  >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 150); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
gst-launch-1.0 -q audiotestsrc is-live=true freq=440 volume=0.5 ! pulsesink device=nullsink \
  >/dev/null 2>&1 & pids+=($!)
sleep 1

# Picture settings of the High profile: ffmpeg gets what our recorder reports it used.
bitrate=200000
gop=12

# Prints "video_packets video_end audio_end" of a file (ends from the packets: ASF states one
# duration for the whole file).
stream_end() {
  ffprobe -v error -select_streams "$2" -show_entries packet=pts_time,duration_time -of csv=p=0 "$1" |
    awk -F, 'BEGIN{e=0;n=0} NF>=2{n++; if ($1+$2>e) e=$1+$2} END{printf "%d %.3f\n", n, e}'
}

psnr() {
  ffmpeg -hide_banner -nostats -sseof -1 -i "$1" -i "$2" -lavfi \
    "[0:v]format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr" -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1
}

record() { # scene recorder
  local scene=$1 who=$2 out=$work/$1-$2.wmv freeze=$work/freeze
  rm -f "$freeze"
  sleep 1
  local start=$SECONDS
  if [ "$who" = ours ]; then
    /usr/bin/time -f "%U %S %M" -o "$work/time" "$bin/recording_soak" bench "$seconds" "$out" \
      >"$work/ours.out" 2>"$work/ours.err" &
  else
    /usr/bin/time -f "%U %S %M" -o "$work/time" ffmpeg -hide_banner -nostats -loglevel error -y \
      -f x11grab -framerate $rate -video_size 1920x1080 -draw_mouse 0 -i "$DISPLAY" \
      -t "$seconds" -c:v wmv2 -b:v $bitrate -g $gop -qmin 2 -qmax 31 "$out" 2>"$work/ffmpeg.err" &
  fi
  local rec=$!
  sleep $((seconds - 2))
  touch "$freeze"
  wait $rec || { echo "$who failed on $scene:"; cat "$work/$who.err" 2>/dev/null; return 1; }
  ffmpeg -hide_banner -loglevel error -y -f x11grab -video_size 1920x1080 -draw_mouse 0 \
    -i "$DISPLAY" -frames:v 1 "$work/ref.png"
  read -r user sys rss <"$work/time"
  read -r vpackets vend < <(stream_end "$out" v)
  local aend=-
  [ "$who" = ours ] && read -r _ aend < <(stream_end "$out" a)
  local decoded
  decoded=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames \
    -of csv=p=0 "$out")
  local extra=""
  if [ "$who" = ours ]; then
    extra=$(cat "$work/ours.out")
    bitrate=$(sed -n 's/.*bitrate=\([0-9]*\).*/\1/p' "$work/ours.out")
    gop=$(sed -n 's/.*gop=\([0-9]*\).*/\1/p' "$work/ours.out")
  fi
  printf '%-12s %-6s cpu_s=%6.2f peak_rss_mb=%5.1f size_kb=%6d psnr_db=%6s video_end_s=%7s audio_end_s=%7s decoded_frames=%5s expected_frames=%5d %s\n' \
    "$scene" "$who" "$(echo "$user + $sys" | bc)" "$(echo "scale=1; $rss / 1024" | bc)" \
    $(($(stat -c %s "$out") / 1024)) "$(psnr "$out" "$work/ref.png")" "$vend" "$aend" "$decoded" \
    $((seconds * rate)) "$extra"
  echo "$user + $sys" | bc >"$work/cpu-$scene-$who"
}

echo "Recording, 1920 x 1080, $rate frames a second, ${seconds} s a recording (ours: High with sound;"
echo "ffmpeg: picture only), ffmpeg given our bit rate, GOP and the quantiser range 2-31:"
for scene in animated presentation; do
  touch "$work/freeze"
  "$bin/screen_animator" "$scene" "$work/freeze" & anim=$!
  pids+=($anim)
  sleep 2
  record "$scene" ours
  record "$scene" ffmpeg
  kill "$anim"
  echo "$scene: ours/ffmpeg CPU = $(echo "scale=3; $(cat "$work/cpu-$scene-ours") / $(cat "$work/cpu-$scene-ffmpeg")" | bc)"
done
