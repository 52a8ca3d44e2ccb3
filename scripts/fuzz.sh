#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a bounded time
# (FIGURY_FUZZ_SECONDS, 60 by default) on a scratch copy of its seed corpus,
# so the repository is never written. Any finding fails the script; the
# crashing input is kept in the scratch folder, whose path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${FIGURY_FUZZ_SECONDS:-60}
build=${FIGURY_FUZZ_BUILD:-build/fuzz}
fuzzers=(figure_load_fuzz figure_store_fuzz)

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DFIGURY_FUZZ=ON -DFIGURY_TESTS=OFF -DFIGURY_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target "${fuzzers[@]}"

# The harnesses save and load through files on every input: keep them in
# memory where the machine allows, or fsync costs most of the time.
scratch_base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
scratch=$(mktemp -d "$scratch_base/figury-fuzz.XXXXXX")
echo "fuzz scratch folder: $scratch"

failed=0
for fuzzer in "${fuzzers[@]}"; do
  work="$scratch/$fuzzer"
  mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"
  cp -R "$root/fuzz/corpus/$fuzzer/." "$work/corpus/"
  echo "== $fuzzer: $seconds s =="
  if TMPDIR="$work/tmp" "$build/fuzz/$fuzzer" "$work/corpus" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -artifact_prefix="$work/artifacts/" -print_final_stats=1 >"$work/log" 2>&1; then
    grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' "$work/log" || true
  else
    failed=1
    echo "$fuzzer FOUND A FAULT; its input is in $work/artifacts:"
    ls -l "$work/artifacts"
    tail -n 60 "$work/log"
  fi
done

if [ "$failed" -ne 0 ]; then
  echo "fuzzing failed; make each finding a regression test before fixing it"
  exit 1
fi
rm -rf "$scratch"
echo "fuzzing: 2 fuzzers clean"
