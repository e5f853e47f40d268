#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in their own tree and runs each for a short,
# bounded time. `make test` runs it with a few seconds per target; run it by hand with more:
#   scripts/fuzz-smoke.sh [SECONDS_PER_TARGET] [BUILD_DIR]
set -euo pipefail
seconds=${1:-10}
build=${2:-build-fuzz}
cd "$(dirname "$0")/.."

# Every library of this tree carries coverage and sanitizer instrumentation, so the build is the
# larger part of a short run: say how long it took.
started=$SECONDS
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DRAVLIN_FUZZ=ON \
  -DRAVLIN_TESTS=OFF -DRAVLIN_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(cd fuzz/corpus && ls)
cmake --build "$build" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done) >/dev/null
echo "fuzz build: $((SECONDS - started)) s"

failed=0
for t in $targets; do
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$t/." "$work/"
  if QT_QPA_PLATFORM=offscreen "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 "$work" >"$work.log" 2>&1; then
    echo "fuzz $t: $(grep -Eo 'Done [0-9]+ runs' "$work.log" || echo ran) in ${seconds}s, no crash"
  else
    echo "fuzz $t: FAILED"; tail -30 "$work.log"; failed=1
  fi
  rm -rf "$work" "$work.log"
done
exit $failed
