#!/usr/bin/env bash
# Runs the benchmarks. The overlay benchmarks need an X server with a compositing manager: on a
# machine without a display they get a private 4K Xvfb with xcompmgr, stopped afterwards.
#   scripts/run-bench.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
bin=$build/bin

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 150 250); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then export DISPLAY=:$n; break; fi
  done
  Xvfb "$DISPLAY" -nolisten tcp +extension Composite +extension RENDER -screen 0 3840x2160x24 &
  pids+=($!)
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xcompmgr & pids+=($!)
  sleep 0.5
fi

echo "Overlay presentation per tick or present, same run (CPU = this program, server_ms = the X server):"
"$bin/overlay_bench" --benchmark_min_time=0.5

echo
echo "Screenshot saving, 1920 x 1080, next to QImage::save as PNG:"
"$bin/save_bench" --benchmark_min_time=0.5

echo
# Its own 1920 x 1080 screen and sound server: the recording side by side with ffmpeg.
"$(dirname "$0")/recording-bench.sh" "$build"

echo
# Its own 3840 x 2160 screen: frames late and memory, next to the animation alone and ffmpeg.
"$(dirname "$0")/recording-4k-bench.sh" "$build"
