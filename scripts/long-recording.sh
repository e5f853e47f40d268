#!/usr/bin/env bash
# A long recording through the program's pipeline (bench/RecordingSoak.cpp, "long" mode: High,
# with microphone sound) of a private 1920 x 1080 screen showing a slide that gets a pen stroke
# every second, with a microphone whose clock drifts against the system's as a real sound card's
# does. Reports where picture and sound end (they should end together, within 40 ms), every gap
# or overlap between the sound's packets (there should be none), and the memory over time (flat
# after the first minute). Not a test: it takes as long as the recording.
#   scripts/long-recording.sh BUILD_DIR
# RAVLIN_LONG_MINUTES (default 60), RAVLIN_LONG_CONTAINER (wmv, mp4 or webm; default wmv),
# RAVLIN_MIC_DRIFT_PPM (default 100; 0 for a microphone on the system clock),
# RAVLIN_LONG_KEEP (a folder to keep the recording and its figures in).
set -euo pipefail
build=${1:-build}
bin=$build/bin
minutes=${RAVLIN_LONG_MINUTES:-60}
container=${RAVLIN_LONG_CONTAINER:-wmv}
session_mic_drift_ppm=${RAVLIN_MIC_DRIFT_PPM:-100}

# shellcheck source=scripts/recording-session.sh
source "$(dirname "$0")/recording-session.sh"

out=$work/long.$container
echo "Recording ${minutes} min, 1920 x 1080, High, $container, microphone at ${mic_rate:-48000} Hz for 48000 Hz" \
  "(${session_mic_drift_ppm} ppm), started $(date +%H:%M), load $(cut -d' ' -f1 /proc/loadavg)"
"$bin/screen_animator" presentation "$work/no-freeze" & pids+=($!)
sleep 2
/usr/bin/time -f "%U %S %M" -o "$work/time" "$bin/recording_soak" long $((minutes * 60)) "$out" \
  >"$work/soak.out" 2>"$work/soak.err" || {
  echo "the recorder failed:"; cat "$work/soak.out" "$work/soak.err"; exit 1; }
read -r user sys _ <"$work/time"

# Packets of a stream: "pts duration" a line, in order. Where the container states no duration
# (fragmented MP4), a packet lasts as long as most packets of the stream are apart.
packets() {
  ffprobe -v error -select_streams "$2" -show_entries packet=pts_time,duration_time -of csv=p=0 "$1" |
    awk -F, '$1!="N/A" && $1!="" {print $1, ($2=="N/A" || $2=="" ? 0 : $2)}' | sort -g |
    awk '{pts[NR]=$1; dur[NR]=$2; if (NR>1) count[sprintf("%.4f", $1-pts[NR-1])]++}
         END{best=0; for (d in count) if (count[d]>count[best]) best=d;
             for (i=1; i<=NR; i++) print pts[i], (dur[i]>0 ? dur[i] : best)}'
}
packets "$out" v >"$work/video"
packets "$out" a >"$work/audio"
# WebM leaves most picture packets' durations unstated: one frame interval.
video_end=$(awk 'BEGIN{e=0} {d=($2>0?$2:0.04); if ($1+d>e) e=$1+d} END{printf "%.3f", e}' "$work/video")
audio_end=$(awk 'BEGIN{e=0} {if ($1+$2>e) e=$1+$2} END{printf "%.3f", e}' "$work/audio")
# A gap or an overlap between two sound packets: more than the containers' time resolution
# (1 ms in ASF and WebM) between where one ends and the next begins.
gaps=$(awk 'NR>1 {d=$1-(p+pd); if (d>0.0015 || d<-0.0015) {n++; if (n<=5) printf "%.3f:%+.4f ", p+pd, d}}
            {p=$1; pd=$2} END{printf "\n%d\n", n+0}' "$work/audio")
echo "picture_end_s=$video_end sound_end_s=$audio_end" \
  "difference_ms=$(echo "($video_end - $audio_end) * 1000" | bc -l | xargs printf '%.0f')" \
  "sound_packets=$(wc -l <"$work/audio") sound_discontinuities=$(echo "$gaps" | tail -1)" \
  "cpu_s=$(echo "$user + $sys" | bc) size_mb=$(($(stat -c %s "$out") / 1048576))"
[ "$(echo "$gaps" | tail -1)" = 0 ] || echo "first discontinuities (at:size): $(echo "$gaps" | head -1)"
echo "Memory and the sound's clock over time (every 10 s; lag and ratio: how the sound follows):"
awk '{t=$1; sub("t_s=","",t); t+=0; if (t%300==0 || t<=60) print}' "$work/soak.out"
# RSS from the first minute on: where it starts, its highest, and its slope.
awk '{t=$1; r=$2; sub("t_s=","",t); sub("rss_kb=","",r); if (t>=60) {n++; sx+=t; sy+=r; sxx+=t*t; sxy+=t*r;
      if (n==1) first=r; if (r>max) max=r}}
     END{if (n>1) printf "rss_after_1min_mb=%.1f rss_max_mb=%.1f rss_slope_mb_per_hour=%.2f\n",
         first/1024, max/1024, (n*sxy-sx*sy)/(n*sxx-sx*sx)*3600/1024}' "$work/soak.out"
if [ -n "${RAVLIN_LONG_KEEP:-}" ]; then
  mkdir -p "$RAVLIN_LONG_KEEP"
  cp "$out" "$work/soak.out" "$work/soak.err" "$work/audio" "$work/video" "$RAVLIN_LONG_KEEP/"
fi
