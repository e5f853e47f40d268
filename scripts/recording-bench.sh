#!/usr/bin/env bash
# Recording benchmark: Ravlin's recording pipeline (bench/RecordingSoak.cpp, "bench" mode: the
# program's own classes, High, with microphone sound) next to `ffmpeg -f x11grab` with the same
# codec and settings, one after the other on the same private 1920 x 1080 screen, for two
# scenes: a full-screen animation and a still slide with a pen stroke added every second. Each
# container the recorder writes is measured on its own:
#   wmv   WMV 8 + WMA 2 against ffmpeg's wmv2, picture only
#   mp4   H.264 + AAC, fragmented, against ffmpeg's libx264 + aac with the microphone too
#   webm  VP8 + Opus against ffmpeg's libvpx + libopus with the microphone too
#   scripts/recording-bench.sh BUILD_DIR
# RAVLIN_BENCH_RECORD_SECONDS (default 60) shortens the recordings for a quick look;
# RAVLIN_BENCH_CONTAINERS (default "wmv mp4 webm") picks the containers; RAVLIN_BENCH_PRESET
# (default 0, High; 1 Medium, 2 Low) the quality of ours (ffmpeg gets its settings and frame
# rate).
# WMV: both encoders get the same bit rate, key-frame spacing and quantiser range (2-31).
# MP4 and WebM: ffmpeg gets the encoder settings ours uses (src/recording/CRecordingEncoders.cpp:
# a constant quality under a cap, as ours reports them) and the sound settings ours reports. Neither recorder draws the pointer. The picture holds
# still for the last 2 s of each recording, and a lossless grab of the screen then is the
# reference for the PSNR of the recording's last second.
set -euo pipefail
build=${1:-build}
bin=$build/bin
seconds=${RAVLIN_BENCH_RECORD_SECONDS:-60}
containers=${RAVLIN_BENCH_CONTAINERS:-wmv mp4 webm}
rate=25
case ${RAVLIN_BENCH_PRESET:-0} in 1 | 2) rate=10 ;; esac

# shellcheck source=scripts/recording-session.sh
source "$(dirname "$0")/recording-session.sh"

# Picture settings of the High profile: ffmpeg gets what our recorder reports it used.
bitrate=200000
gop=12
sound_bitrate=32000
sound_rate=44100
sound_channels=2
crf=20
cq=10
cap=10000000
buffer_ms=2000

# Prints "packets end" of a stream of a file (the end from the packets: ASF states one duration
# for the whole file). WebM leaves most packets' durations unstated: a picture without one
# stands for one frame interval.
stream_end() {
  ffprobe -v error -select_streams "$2" -show_entries packet=pts_time,duration_time -of csv=p=0 "$1" |
    awk -F, -v frame="$(echo "scale=6; 1 / $rate" | bc)" -v kind="$2" '
      BEGIN{e=0;n=0}
      NF>=2 && $1!="N/A" {n++; d=$2; if (d=="N/A" || d=="") d=(kind=="v" ? frame : 0);
                          if ($1+d>e) e=$1+d}
      END{printf "%d %.3f\n", n, e}'
}

psnr() {
  local db
  db=$(ffmpeg -hide_banner -nostats -sseof -1 -i "$1" -i "$2" -lavfi \
    "[0:v]format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr" -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1)
  # A file the seek cannot find a frame in (a player could not seek in it either, as in WebM
  # files whose held pictures all looked like key frames): decode it all and keep the last
  # second instead.
  [ -n "$db" ] || db=$(ffmpeg -hide_banner -nostats -i "$1" -i "$2" -lavfi \
    "[0:v]trim=start=$((seconds - 1)),format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr" \
    -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1)
  echo "$db"
}

# ffmpeg's encoder arguments for a container, with the settings ours reported.
ffmpeg_codec() {
  case $1 in
  wmv) echo "-c:v wmv2 -b:v $bitrate -g $gop -qmin 2 -qmax 31" ;;
  # x264enc: "superfast", zero latency, a constant rate factor under a cap (the VBV's maximum
  # rate and buffer), key frames at most the GOP apart, 4:2:0; fragments of one second.
  mp4) echo "-c:v libx264 -preset superfast -tune zerolatency -crf $crf -maxrate $cap" \
    "-bufsize $((cap / 1000 * buffer_ms)) -g $gop -pix_fmt yuv420p" \
    "-c:a aac -b:a $sound_bitrate -ar $sound_rate -ac $sound_channels" \
    "-movflags +frag_keyframe+empty_moov+default_base_moof -frag_duration 1000000" ;;
  # vp8enc: real-time deadline, cpu-used 16, no frames held back, two threads, constrained
  # quality (the quality level, the target bit rate as its cap; buffer 6 s, 4 s at first,
  # quantiser 4-63, under/overshoot 100 %); Opus in constrained VBR as opusenc.
  webm) echo "-c:v libvpx -deadline realtime -cpu-used 16 -lag-in-frames 0 -threads 2" \
    "-crf $cq -b:v $cap -g $gop -qmin 4 -qmax 63 -bufsize $((cap * 6))" \
    "-rc_init_occupancy $((cap * 4)) -undershoot-pct 100 -overshoot-pct 100" \
    "-c:a libopus -b:a $sound_bitrate -vbr constrained -ar $sound_rate -ac $sound_channels" ;;
  esac
}

record() { # scene recorder container
  local scene=$1 who=$2 container=$3 freeze=$work/freeze
  local out=$work/$1-$2.$container
  rm -f "$freeze" "$out"
  sleep 1
  # Other work on the machine skews the CPU figures: the load average goes with each line.
  local load_before
  load_before=$(cut -d' ' -f1 /proc/loadavg)
  if [ "$who" = ours ]; then
    /usr/bin/time -f "%U %S %M" -o "$work/time" "$bin/recording_soak" bench "$seconds" "$out" \
      "${RAVLIN_BENCH_PRESET:-0}" \
      >"$work/ours.out" 2>"$work/ours.err" &
  else
    local sound_in=()
    [ "$container" != wmv ] && sound_in=(-f pulse -i mic)
    # shellcheck disable=SC2046 # the codec arguments are words on purpose
    /usr/bin/time -f "%U %S %M" -o "$work/time" ffmpeg -hide_banner -nostats -loglevel error -y \
      -f x11grab -framerate $rate -video_size 1920x1080 -draw_mouse 0 -i "$DISPLAY" \
      "${sound_in[@]}" -t "$seconds" $(ffmpeg_codec "$container") "$out" 2>"$work/ffmpeg.err" &
  fi
  local rec=$!
  sleep $((seconds - 2))
  touch "$freeze"
  wait $rec || { echo "$who failed on $scene ($container):"; cat "$work/$who.err" 2>/dev/null; return 1; }
  ffmpeg -hide_banner -loglevel error -y -f x11grab -video_size 1920x1080 -draw_mouse 0 \
    -i "$DISPLAY" -frames:v 1 "$work/ref.png"
  read -r user sys rss <"$work/time"
  read -r _ vend < <(stream_end "$out" v)
  local aend=-
  [ "$who" = ours ] || [ "$container" != wmv ] && read -r _ aend < <(stream_end "$out" a)
  local decoded
  decoded=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames \
    -of csv=p=0 "$out")
  local extra=""
  if [ "$who" = ours ]; then
    extra=$(cat "$work/ours.out")
    bitrate=$(sed -n 's/.* bitrate=\([0-9]*\).*/\1/p' "$work/ours.out")
    gop=$(sed -n 's/.*gop=\([0-9]*\).*/\1/p' "$work/ours.out")
    sound_bitrate=$(sed -n 's/.*sound_bitrate=\([0-9]*\).*/\1/p' "$work/ours.out")
    sound_rate=$(sed -n 's/.*sound_rate=\([0-9]*\).*/\1/p' "$work/ours.out")
    sound_channels=$(sed -n 's/.*sound_channels=\([0-9]*\).*/\1/p' "$work/ours.out")
    crf=$(sed -n 's/.* crf=\([0-9]*\).*/\1/p' "$work/ours.out")
    cq=$(sed -n 's/.* cq=\([0-9]*\).*/\1/p' "$work/ours.out")
    cap=$(sed -n 's/.* cap=\([0-9]*\).*/\1/p' "$work/ours.out")
    buffer_ms=$(sed -n 's/.* buffer_ms=\([0-9]*\).*/\1/p' "$work/ours.out")
  fi
  local label=$scene
  [ "$container" != wmv ] && label="$scene-$container"
  printf '%-12s %-6s cpu_s=%6.2f peak_rss_mb=%5.1f size_kb=%6d mb_per_min=%6.2f psnr_db=%6s video_end_s=%7s audio_end_s=%7s decoded_frames=%5s expected_frames=%5d load=%s/%s %s\n' \
    "$label" "$who" "$(echo "$user + $sys" | bc)" "$(echo "scale=1; $rss / 1024" | bc)" \
    $(($(stat -c %s "$out") / 1024)) "$(echo "$(stat -c %s "$out") * 60 / $seconds / 1048576" | bc -l)" \
    "$(psnr "$out" "$work/ref.png")" "$vend" "$aend" "$decoded" \
    $((seconds * rate)) "$load_before" "$(cut -d' ' -f1 /proc/loadavg)" "$extra"
  echo "$user + $sys" | bc >"$work/cpu-$scene-$container-$who"
}

ratio() { # scene container
  echo "scale=3; $(cat "$work/cpu-$1-$2-ours") / $(cat "$work/cpu-$1-$2-ffmpeg")" | bc
}

for container in $containers; do
  case $container in
  wmv)
    echo "Recording, 1920 x 1080, $rate frames a second, ${seconds} s a recording (ours: High with sound;"
    echo "ffmpeg: picture only), ffmpeg given our bit rate, GOP and the quantiser range 2-31:" ;;
  mp4)
    echo "MP4 (H.264 + AAC, fragmented), 1920 x 1080, $rate frames a second, ${seconds} s a recording"
    echo "(both with the microphone), ffmpeg's libx264 + aac given our encoder settings:" ;;
  webm)
    echo "WebM (VP8 + Opus), 1920 x 1080, $rate frames a second, ${seconds} s a recording"
    echo "(both with the microphone), ffmpeg's libvpx + libopus given our encoder settings:" ;;
  *) echo "unknown container: $container (wmv, mp4 or webm)"; exit 2 ;;
  esac
  for scene in animated presentation; do
    touch "$work/freeze"
    "$bin/screen_animator" "$scene" "$work/freeze" & anim=$!
    pids+=("$anim")
    sleep 2
    record "$scene" ours "$container"
    record "$scene" ffmpeg "$container"
    kill "$anim"
    if [ "$container" = wmv ]; then
      echo "$scene: ours/ffmpeg CPU = $(ratio "$scene" wmv)"
    else
      echo "$scene $container: ours/ffmpeg CPU = $(ratio "$scene" "$container")"
    fi
  done
done
