#!/usr/bin/env bash
# What a kill leaves: records a 1920 x 1080 screen through the program's pipeline
# (bench/RecordingSoak.cpp, "forever" mode: High, with microphone sound), kills the recorder
# with SIGKILL some seconds in, and prints how much of the file still decodes, for each
# container and for two scenes (a full-screen animation, a still slide with a stroke added
# every second).
#   scripts/kill-measure.sh BUILD_DIR
# RAVLIN_KILL_SECONDS (default 30): when the kill comes, counted from the recording's start.
# RAVLIN_BENCH_CONTAINERS (default "wmv mp4 webm") picks the containers.
set -euo pipefail
build=${1:-build}
bin=$build/bin
seconds=${RAVLIN_KILL_SECONDS:-30}
containers=${RAVLIN_BENCH_CONTAINERS:-wmv mp4 webm}

# shellcheck source=scripts/recording-session.sh
source "$(dirname "$0")/recording-session.sh"

# Prints "frames end" of the decoded frames of a stream ("v" or "a"): the last frame's time
# plus its duration (one frame interval, 40 ms, for a picture whose duration is not stated).
decoded_end() {
  ffprobe -v error -select_streams "$2" -show_entries frame=best_effort_timestamp_time,pkt_duration_time \
    -of csv=p=0 "$1" 2>/dev/null |
    awk -F, -v kind="$2" 'BEGIN{e=0;n=0}
      $1!="N/A" && $1!="" {n++; d=$2; if (d=="N/A" || d=="") d=(kind=="v" ? 0.04 : 0);
                           if ($1+d>e) e=$1+d}
      END{printf "%d %.3f\n", n, e}'
}

echo "SIGKILL ${seconds} s into a recording, 1920 x 1080, High with sound: what ffmpeg decodes"
for container in $containers; do
  for scene in animated presentation; do
    out=$work/killed-$scene.$container
    rm -f "$work/freeze"
    "$bin/screen_animator" "$scene" "$work/freeze" & anim=$!
    pids+=("$anim")
    sleep 2
    load=$(cut -d' ' -f1 /proc/loadavg)
    "$bin/recording_soak" forever "$out" >"$work/soak.out" 2>"$work/soak.err" & rec=$!
    for _ in $(seq 200); do grep -q recording "$work/soak.out" && break; sleep 0.1; done
    sleep "$seconds"
    kill -KILL "$rec"
    wait "$rec" 2>/dev/null || true
    kill "$anim"
    wait "$anim" 2>/dev/null || true
    errors=$(ffmpeg -hide_banner -nostats -v error -i "$out" -f null - 2>&1 | wc -l)
    read -r vframes vend < <(decoded_end "$out" v)
    read -r aframes aend < <(decoded_end "$out" a)
    printf '%-5s %-12s size_kb=%6d video_frames=%5d video_end_s=%7s audio_frames=%5d audio_end_s=%7s decode_error_lines=%d load_before=%s load_after=%s\n' \
      "$container" "$scene" $(($(stat -c %s "$out") / 1024)) "$vframes" "$vend" "$aframes" \
      "$aend" "$errors" "$load" "$(cut -d' ' -f1 /proc/loadavg)"
  done
done
