#!/usr/bin/env bash
# Checks the sources' formatting, then builds and runs every test through the
# CMake presets: the native suite with g++ and with clang, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzzer for a bounded
# time (FIGURY_FUZZ_SECONDS, 60 by default), and the Windows build's suites
# under Wine, whose ctest starts its own virtual display and Wine prefix. Each
# step says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh

echo "== format =="
# The sources stay as clang-format leaves them (.clang-format).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

step() {
  local started=$SECONDS
  "$@"
  echo "-- $((SECONDS - started)) s: $*" >&2
}

for preset in native native-clang sanitize fuzz windows; do
  echo "== $preset =="
  step cmake --preset "$preset" >/dev/null
  step cmake --build --preset "$preset" -j "$jobs"
  step ctest --preset "$preset" -j "$jobs"
done
