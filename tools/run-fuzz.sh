#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for the given seconds
# (default 60), starting from its corpus under fuzz/corpus/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
tools/packages.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for bin in build/fuzz/fuzz/fuzz_*; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin")
  corpus=fuzz/corpus/$name
  work=build/fuzz/corpus-$name
  mkdir -p "$work" "$corpus"
  echo "fuzzing $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 "$work" "$corpus" >"build/fuzz/$name.log" 2>&1 \
    || { tail -50 "build/fuzz/$name.log"; exit 1; }
done
