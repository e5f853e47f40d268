#!/usr/bin/env bash
# Ink latency benchmark: Ravlin's pen and gromit-mpx's, in turn on the same private screen with
# a compositing manager: a pressed pointer moved 12 px at a time, the composited screen read
# until the ink is there (bench/InkLatencyBench.cpp).
#   scripts/ink-latency-bench.sh BUILD_DIR [WIDTHxHEIGHT]   (default 1920x1080)
# RAVLIN_BENCH_INK_MOVES (default 800, in 4 turns) sets the moves of each.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
session_screen=${2:-1920x1080}
# shellcheck source=scripts/recording-session.sh
source "$(dirname "$0")/recording-session.sh"
# shellcheck source=scripts/desktop-session.sh
source "$(dirname "$0")/desktop-session.sh"

programs=("ravlin=$build/bin/ravlin" --then "ravlin=$build/bin/ravlin --command pen")
if command -v gromit-mpx >/dev/null; then
  # --active: drawing from the start, with its default red 5-px pen (Ravlin's pen too).
  programs+=("gromit-mpx=gromit-mpx --active")
else
  echo "(gromit-mpx is not installed: Ravlin alone; scripts/install-deps.sh --bench installs it)"
fi
"$build/bin/ink_latency_bench" --turns 4 --moves "${RAVLIN_BENCH_INK_MOVES:-800}" "${programs[@]}"
