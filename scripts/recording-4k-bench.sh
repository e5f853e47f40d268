#!/usr/bin/env bash
# 4K recording benchmark: Ravlin's recording pipeline (bench/RecordingSoak.cpp, "bench" mode:
# High, with microphone sound) filming a private 3840 x 2160 screen on which the benchmark's
# animation runs, next to the animation alone (what drawing it costs this machine, which films
# and draws at once) and next to `ffmpeg -f x11grab` with the same codec. For each container:
# frames that came late (the picture before covers them), peak RSS, CPU of the recorder, of the
# animation and of the X server.
#   scripts/recording-4k-bench.sh BUILD_DIR
# RAVLIN_BENCH_4K_SECONDS (default 20) and RAVLIN_BENCH_4K_CONTAINERS (default "wmv mp4").
set -euo pipefail
build=${1:-build}
bin=$build/bin
seconds=${RAVLIN_BENCH_4K_SECONDS:-20}
containers=${RAVLIN_BENCH_4K_CONTAINERS:-wmv mp4}
rate=25
session_screen=3840x2160

# shellcheck source=scripts/recording-session.sh
source "$(dirname "$0")/recording-session.sh"

xvfb=${pids[0]} # the session's X server
# CPU seconds a process has used so far (user + system).
cpu_of() { awk '{printf "%.2f", ($14 + $15) / 100}' "/proc/$1/stat"; }

"$bin/screen_animator" animated "$work/no-freeze" & anim=$!
pids+=("$anim")
sleep 3

echo "Recording, 3840 x 2160, $rate frames a second, ${seconds} s a recording, the animation drawn on the same machine:"
load=$(cut -d' ' -f1 /proc/loadavg)
a0=$(cpu_of "$anim"); x0=$(cpu_of "$xvfb")
sleep "$seconds"
printf '%-5s %-9s animation_cpu_s=%6.2f xserver_cpu_s=%6.2f load=%s/%s\n' - alone \
  "$(echo "$(cpu_of "$anim") - $a0" | bc)" "$(echo "$(cpu_of "$xvfb") - $x0" | bc)" "$load" \
  "$(cut -d' ' -f1 /proc/loadavg)"

for container in $containers; do
  for who in ours ffmpeg; do
    out=$work/4k-$who.$container
    load=$(cut -d' ' -f1 /proc/loadavg)
    a0=$(cpu_of "$anim"); x0=$(cpu_of "$xvfb")
    if [ "$who" = ours ]; then
      /usr/bin/time -f "%U %S %M" -o "$work/time" "$bin/recording_soak" bench "$seconds" "$out" \
        >"$work/ours.out" 2>"$work/ours.err" || { cat "$work/ours.err"; exit 1; }
      figures=$(sed -n 's/.*\(pushed=[0-9]* merged=[0-9]* late=[0-9]*\).*/\1/p' "$work/ours.out")
    else
      case $container in
      wmv) codec=(-c:v wmv2 -b:v 168000 -g 150) ;;
      mp4) codec=(-c:v libx264 -preset superfast -tune zerolatency -crf 20 -pix_fmt yuv420p) ;;
      *) codec=(-c:v libvpx -deadline realtime -cpu-used 16 -threads 2) ;;
      esac
      # Its own count of frames it repeated because the grab came late (dup) or dropped.
      /usr/bin/time -f "%U %S %M" -o "$work/time" ffmpeg -hide_banner -loglevel error -stats -y \
        -f x11grab -framerate $rate -video_size $session_screen -draw_mouse 0 -i "$DISPLAY" \
        -f pulse -i mic -t "$seconds" "${codec[@]}" "$out" 2>"$work/ffmpeg.err" ||
        { cat "$work/ffmpeg.err"; exit 1; }
      figures=$(tr '\r' '\n' <"$work/ffmpeg.err" | grep -o 'dup=[0-9]* drop=[0-9]*' | tail -1)
    fi
    read -r user sys rss <"$work/time"
    frames=$(ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets \
      -of csv=p=0 "$out")
    printf '%-5s %-9s cpu_s=%6.2f peak_rss_mb=%6.1f video_packets=%5s animation_cpu_s=%6.2f xserver_cpu_s=%6.2f load=%s/%s %s\n' \
      "$container" "$who" "$(echo "$user + $sys" | bc)" "$(echo "scale=1; $rss / 1024" | bc)" \
      "$frames" "$(echo "$(cpu_of "$anim") - $a0" | bc)" "$(echo "$(cpu_of "$xvfb") - $x0" | bc)" \
      "$load" "$(cut -d' ' -f1 /proc/loadavg)" "$figures"
  done
done
kill "$anim"
wait "$anim" 2>/dev/null || true
