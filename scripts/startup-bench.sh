#!/usr/bin/env bash
# Start-up benchmark: Ravlin and gromit-mpx launched in turn on the same private 1280 x 800
# screen with a compositing manager, a session bus and a sound server with a microphone (what a
# desktop has), each timed from launch until its overlay window is mapped.
#   scripts/startup-bench.sh BUILD_DIR
# RAVLIN_BENCH_STARTS (default 9) sets the starts of each; RAVLIN_BENCH_BASELINE names another
# ravlin executable (an earlier build) measured in the same run as "ravlin-base".
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
session_screen=1280x800
# shellcheck source=scripts/recording-session.sh
source "$(dirname "$0")/recording-session.sh"
# shellcheck source=scripts/desktop-session.sh
source "$(dirname "$0")/desktop-session.sh"

programs=("ravlin=$build/bin/ravlin")
if [ -n "${RAVLIN_BENCH_BASELINE:-}" ]; then programs+=("ravlin-base=$RAVLIN_BENCH_BASELINE"); fi
if command -v gromit-mpx >/dev/null; then
  programs+=("gromit-mpx=gromit-mpx")
else
  echo "(gromit-mpx is not installed: Ravlin alone; scripts/install-deps.sh --bench installs it)"
fi
"$build/bin/startup_bench" --starts "${RAVLIN_BENCH_STARTS:-9}" "${programs[@]}"
