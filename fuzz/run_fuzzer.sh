#!/usr/bin/env bash
# Runs one libFuzzer harness for FIGURY_FUZZ_SECONDS (60 by default) on a
# scratch copy of its seed corpus, so that the repository is never written.
# A finding fails the run and its input is kept in the scratch folder, whose
# path is printed; a clean run removes the folder.
#   run_fuzzer.sh FUZZER CORPUS_DIR
set -euo pipefail
fuzzer=$1
corpus=$2
seconds=${FIGURY_FUZZ_SECONDS:-60}
name=$(basename "$fuzzer")

# The harnesses save and load through files on every input: keep them in
# memory where the machine allows, or fsync costs most of the time.
scratch_base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
work=$(mktemp -d "$scratch_base/figury-$name.XXXXXX")
mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"
cp -R "$corpus/." "$work/corpus/"

echo "$name: $seconds s in $work"
if TMPDIR="$work/tmp" "$fuzzer" "$work/corpus" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 >"$work/log" 2>&1; then
  grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' "$work/log" || true
  rm -rf "$work"
else
  echo "$name FOUND A FAULT; make its input a regression test before fixing it. The input is in $work/artifacts:"
  ls -l "$work/artifacts"
  tail -n 60 "$work/log"
  exit 1
fi
